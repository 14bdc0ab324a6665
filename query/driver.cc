// The main driver: prepares a run, reads and checks the positional arguments,
// starts the worker and ends the run with its totals and exit value.
#include "query/driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "directory/directory_context.h"
#include "query/arguments.h"
#include "query/filter.h"
#include "query/program_options.h"
#include "query/usage.h"
#include "query/values.h"
#include "query/worker.h"
#include "report/heading.h"
#include "retrieval/entity.h"
#include "retrieval/retrieval.h"
#include "retrieval/servers.h"
#include "run/run_context.h"
#include "util/channels.h"
#include "util/cmdline.h"
#include "util/error_text.h"
#include "util/output.h"
#include "util/pager.h"
#include "util/progress.h"

namespace {

constexpr int kMaxPositional = 5;
constexpr size_t kMaxEntityLength = 299;

// Initialise's results besides success.
constexpr int kInitFailed = 1;
constexpr int kInitInformationShown = -1;

// Prepares the utility layer, the run's records and the directory context.
int Initialise(const RunSettings& settings, std::string* option_text, std::vector<std::string>* args) {
  args->clear();
  std::string program_name = ProgramName();
  if (!SplitCommandLine(program_name.c_str(), option_text, args, kMaxPositional)) return kInitFailed;
  switch (RequestedInformation(*args, *option_text)) {
    case kUsageRequested:
      ShowUsage();
      return kInitInformationShown;
    case kVersionRequested:
      ShowVersion();
      return kInitInformationShown;
    case kNoInformation:
      break;
  }

  RunContext* run = new (std::nothrow) RunContext();
  OutputContext* out = new (std::nothrow) OutputContext();
  DirectoryContext* dir = new (std::nothrow) DirectoryContext();
  if (run == nullptr || out == nullptr || dir == nullptr) {
    delete run;
    delete out;
    delete dir;
    ShowMessageBox("Insufficient memory", "Lorvex", kMessageBoxError);
    return kInitFailed;
  }
  g_run = run;
  run->output = out;
  run->directory = dir;
  run->dispatch = SelectAndDispatch;

  snprintf(out->program_name, sizeof out->program_name, "%s", program_name.c_str());
  run->options.name_form = kFormCanonical;
  // LORVEX_PER_OBJECT=1 reads every object on its own (one request per object and controller)
  // instead of in batches: the reference that tests compare the batched reads with. Not for users.
  const char* per_object = getenv("LORVEX_PER_OBJECT");
  run->per_object_reads = (per_object != nullptr && strcmp(per_object, "1") == 0) || !AdsBatchedReads();
  out->fixed_now = settings.fixed_now;
  run->local_offset = settings.fixed_offset ? settings.local_offset : ReadLocalTimeOffset();
  out->normal_flags = kChannelCon;
  out->error_flags = kChannelCon;
  out->control_flags = PlatformControlFlags();

  std::string error;
  const AdsResult opened = OpenDirectoryContext(dir, out, &error);
  if (opened < 0) {
    ReportDirectoryError(out, opened, error.c_str());
    return kInitFailed;
  }
  return 0;
}

// Frees everything a run holds; the run's records may not exist.
void CleanUp(RunContext* run, std::vector<std::string>* args) {
  args->clear();
  if (run == nullptr) return;
  OutputContext* out = run->output;
  if (out != nullptr) {
    if (out->control_flags & kControlPageBreakAtExit) PageBreakAtExit(out);
    CloseChannelFiles(out);
  }
  if (run->input_file != nullptr) fclose(run->input_file);
  FreeResultList(run);
  if (run->server_list != nullptr) {
    FreeServerList(run->server_list);
    delete run->server_list;
  }
  if (run->directory != nullptr) {
    CloseDirectoryContext(run->directory);
    delete run->directory;
  }
  delete out;
  if (g_run == run) g_run = nullptr;
  delete run;
}

int Abandon(RunContext* run, std::vector<std::string>* args) {
  CleanUp(run, args);
  return 1;
}

}  // namespace

int MainRun() { return MainRun(RunSettings()); }

int MainRun(const RunSettings& settings) {
  std::vector<std::string> args;
  std::string option_text;
  g_run = nullptr;
  const int initialised = Initialise(settings, &option_text, &args);
  if (initialised == kInitInformationShown) {
    CleanUp(g_run, &args);
    return 0;
  }
  if (initialised != 0) {
    CleanUp(g_run, &args);
    return 1;
  }
  RunContext* run = g_run;
  OutputContext* out = run->output;
  const int argc = static_cast<int>(args.size());

  run->restriction = kAll;
  run->op = kOpNone;
  run->filter_number = 0;
  run->filter_range = 0;
  if (ProcessProgramOptions(run, option_text, argc) != 0) return Abandon(run, &args);

  g_cancel.store(0);
  run->examined = 0;
  run->selected = 0;
  run->result_head = nullptr;
  run->result_tail = nullptr;
  // A log or error file that failed while the options were taken (its first line is written then)
  // stays an error of the run: the files are part of its output.
  out->error_count = out->file_failures;
  out->message[0] = '\0';
  PrintMessage(out, 0, 0);

  // The entity: a file of objects, an object on the command line, or the running account.
  std::string input_file_name;
  if (argc > 0) {
    run->entity_given = true;
    std::string entity = args[0].substr(0, kMaxEntityLength);
    if (entity[0] == '@' && entity.find('/') == std::string::npos) {
      run->options.file_mode = true;
      entity.erase(0, 1);
    }
    if (run->options.file_mode) {
      input_file_name = entity;
      run->entity = entity;
      run->input_file = fopen(entity.c_str(), "r");
      if (run->input_file == nullptr) {
        PrintFormatted(out, -1, 1, "%s: Cannot open file %s", out->program_name, entity.c_str());
        return Abandon(run, &args);
      }
    } else {
      SplitServerPrefix(entity, &run->server_prefix, &run->entity);
      if (!ResolveEntity(run)) return Abandon(run, &args);
    }
  } else {
    run->entity = run->directory->account_dn;
  }

  CommandWords words;
  if (!ReadCommandWords(run, &args, &words)) return Abandon(run, &args);

  ReadDomainPolicy(run);
  if (!run->options.file_mode && !PrepareServerList(run, run->server_prefix)) return Abandon(run, &args);

  if (!run->options.no_headings && (run->options.file_mode || !run->entity.empty())) {
    WriteHeading(run, run->entity, words.display_name, words.op_text, words.value_text, input_file_name);
  }

  BeginProgress();
  const int result = RunWorkerAndWait(run, run->entity);
  EndProgress();
  if (result == kWorkNoMemory || result == kWorkCancelled) {
    FreeResultList(run);
    return Abandon(run, &args);
  }
  if (!run->options.no_headings) WriteTotals(run);
  const int exit_value = ExitValue(run);
  CleanUp(run, &args);
  return exit_value;
}
