// Writes the bash completion of lorvex: the words of the program's own tables (restrictions and
// their alternative spellings, operators, option letters, the values of /o, /s and /y) as shell
// variables, followed by the completion function of the template.
//   make_completion TEMPLATE OUTPUT
#include <cstdio>
#include <string>
#include <vector>

#include "query/program_options.h"
#include "query/restrictions.h"

namespace {

// The words as one single-quoted shell word; none of them holds a quote.
std::string ShellList(const std::vector<std::string>& words) {
  std::string list = "'";
  for (const std::string& word : words) {
    if (list.size() > 1) list += ' ';
    list += word;
  }
  return list + "'";
}

std::vector<std::string> Letters(const char* letters) {
  std::vector<std::string> words;
  for (const char* p = letters; *p; ++p) words.push_back(std::string(1, *p));
  return words;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: make_completion TEMPLATE OUTPUT\n");
    return 2;
  }
  FILE* in = fopen(argv[1], "r");
  if (in == nullptr) {
    perror(argv[1]);
    return 1;
  }
  std::string text =
      "# bash completion of lorvex, written at build time from the program's own words.\n"
      "_lorvex_restrictions=" +
      ShellList(RestrictionWords()) +
      "\n"
      "_lorvex_operators=" +
      ShellList(OperatorWords()) +
      "\n"
      "_lorvex_plain_letters=" +
      ShellList(Letters(kPlainOptionLetters)) +
      "\n"
      "_lorvex_value_letters=" +
      ShellList(Letters(kValuedOptionLetters)) + "\n";
  for (char letter : {'o', 's', 'y'}) {
    text += std::string("_lorvex_values_") + letter + "=" + ShellList(OptionValueWords(letter)) + "\n";
  }
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, got);
  fclose(in);
  FILE* out = fopen(argv[2], "w");
  if (out == nullptr || fwrite(text.data(), 1, text.size(), out) != text.size() || fclose(out) != 0) {
    perror(argv[2]);
    return 1;
  }
  return 0;
}
