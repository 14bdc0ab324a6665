// Headings, the totals line and the exit level.
#include "report/heading.h"

#include <algorithm>
#include <cstdio>

#include "directory/name_forms.h"
#include "report/print_line.h"
#include "report/value_line.h"
#include "util/ascii_text.h"
#include "util/local_clock.h"
#include "util/output.h"

namespace {

constexpr int kMaxExitLevel = 255;

int32_t ErrorCount(const RunContext* run) { return run->output ? run->output->error_count : 0; }

// " at 5-Jan-2011 9:04": the moment of the run in local time.
std::string MomentText(const RunContext* run) {
  TimeParts now = SplitTime(RunNow(run));
  char text[64];
  snprintf(text, sizeof text, " at %d-%s-%d %d:%02d", now.day, MonthAbbreviation(now.month), now.year + 1900,
           now.hour, now.minute);
  return text;
}

}  // namespace

std::string BuildHeadingLine(const RunContext* run, const std::string& entity, const std::string& label,
                             const std::string& op_text, const std::string& value_text,
                             const std::string& input_file) {
  const ProgramOptions& options = run->options;
  const uint32_t form = options.subtree ? static_cast<uint32_t>(kFormRelative) : options.name_form;
  const std::string entity_text = FormatName(run->directory, form, entity);
  std::string value = value_text;
  if (run->restriction == kPso && !value.empty()) value = ShortObjectName(run, value);
  const std::string comparison = op_text.empty() ? std::string() : " (" + op_text + " " + value + ")";

  std::string line;
  if (!input_file.empty()) {
    line = label + comparison + " for objects in file " + input_file;
  } else if (run->entity_given) {
    line = "Values of \"" + label + "\"" + comparison;
    if (EqualsIgnoreCase(options.object_class, "group")) {
      line += " for members of group " + entity_text;
    } else {
      // Resolution always sets the class; should it be missing, objects are users, as everywhere.
      const std::string object_class =
          options.object_class.empty() ? std::string("user") : options.object_class;
      line += " for " + object_class + " " + entity_text;
    }
  } else {
    line = "Values of \"" + label + "\" for " + entity_text;
  }
  return line + MomentText(run);
}

std::string BuildTotalsLine(const RunContext* run) {
  const std::string& object_class = run->options.object_class;
  // Members of a group are counted as the users they are.
  std::string noun =
      object_class.empty() || EqualsIgnoreCase(object_class, "group") ? std::string("user") : object_class;
  char text[512];
  int length = snprintf(text, sizeof text, "%ld %s%s", static_cast<long>(run->examined), noun.c_str(),
                        run->examined == 1 ? "" : "s");
  std::string line(text, static_cast<size_t>(std::clamp(length, 0, static_cast<int>(sizeof text) - 1)));
  if (run->op != kOpNone) {
    snprintf(text, sizeof text, ", %ld selected", static_cast<long>(run->selected));
    line += text;
  }
  const int32_t errors = ErrorCount(run);
  if (errors != 0) {
    snprintf(text, sizeof text, ", %ld error%s", static_cast<long>(errors), errors == 1 ? "" : "s");
    line += text;
  }
  return line;
}

void WriteHeading(RunContext* run, const std::string& entity, const std::string& label,
                  const std::string& op_text, const std::string& value_text, const std::string& input_file) {
  if (run->restriction == kAll) return;
  PrintText(run->output, 0, BuildHeadingLine(run, entity, label, op_text, value_text, input_file));
  PrintText(run->output, 0, "");
}

void WriteTotals(RunContext* run) {
  if (run->options.no_headings) return;
  // With errors the totals also reach the error outputs.
  const int32_t code = ErrorCount(run) != 0 ? -2 : 0;
  PrintText(run->output, code, "");
  PrintText(run->output, code, BuildTotalsLine(run));
}

int ExitValue(const RunContext* run) {
  if (run->options.exit_level) return std::clamp<int32_t>(run->selected, 0, kMaxExitLevel);
  return ErrorCount(run) != 0 ? 1 : 0;
}
