// Fuzzes the command-line tokenizer: the raw command line split into positional arguments and
// the option text.
//
// Input: the raw command line, program path first (cut at its first NUL, as a process's is).
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "util/cmdline.h"

namespace {

constexpr int kCapacity = 5;
constexpr size_t kMaxOptionText = 255;

// Whether an argument written back by JoinArguments reads as the same positional argument.
bool SurvivesJoin(const std::string& arg) {
  return !arg.empty() && arg.find('"') == std::string::npos && arg[0] != '/' && arg[0] != '-';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetFuzzRun();
  const std::string line = InputCString(data, size);
  SetProcessCommandLine(line, "/usr/bin/lorvex");
  std::string options;
  std::vector<std::string> args;
  if (!SplitCommandLine("LORVEX", &options, &args, kCapacity)) return 0;

  FUZZ_CHECK(args.size() <= static_cast<size_t>(kCapacity));
  FUZZ_CHECK(options.size() <= kMaxOptionText);
  // The option text is each option token after one blank; a token starts with '/' or '-'.
  if (!options.empty()) FUZZ_CHECK(options[0] == ' ' && (options[1] == '/' || options[1] == '-'));
  FUZZ_CHECK(options.find('\t') == std::string::npos || options.find('"') != std::string::npos);
  for (const std::string& arg : args) FUZZ_CHECK(arg.size() <= line.size());

  // The arguments written back as the shell would pass them, with the option text after them,
  // split into the same arguments and the same option text.
  bool all_survive = true;
  for (const std::string& arg : args) all_survive = all_survive && SurvivesJoin(arg);
  if (!all_survive) return 0;
  std::vector<const char*> argv = {"lorvex"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::string rebuilt = JoinArguments(static_cast<int>(argv.size()), argv.data()) + options;
  SetProcessCommandLine(rebuilt, "/usr/bin/lorvex");
  std::string options_again;
  std::vector<std::string> args_again;
  FUZZ_CHECK(SplitCommandLine("LORVEX", &options_again, &args_again, kCapacity));
  FUZZ_CHECK(args_again == args);
  FUZZ_CHECK(options_again == options);
  return 0;
}
