// Fuzzes the reader of the message file zemerr.msg over arbitrary file contents.
//
// Input: four bytes of error code (little-endian), then the file's contents. The file is handed
// to the reader as an in-memory stream in place of the opened zemerr.msg.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "util/error_text.h"

namespace {

constexpr size_t kLongestText = 255;

bool StartsWith(const std::string& text, const char* start) {
  return text.compare(0, strlen(start), start) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  int32_t code =
      static_cast<int32_t>(static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                           (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24));
  std::string contents = InputText(data + 4, size - 4);
  FuzzRun* f = ResetFuzzRun();
  // fmemopen refuses an empty buffer; an empty file is one byte too short for any header anyway.
  if (contents.empty()) contents.push_back('\0');
  FILE* file = fmemopen(contents.data(), contents.size(), "rb");
  FUZZ_CHECK(file != nullptr);
  f->out.message_file = file;

  std::string text = LookupMessageText(&f->out, code);
  // Either the file's text, cut at 255 characters and at an embedded NUL, or the fallback.
  FUZZ_CHECK(text.find('\0') == std::string::npos);
  if (!StartsWith(text, "Description not available for error ")) FUZZ_CHECK(text.size() <= kLongestText);
  if (code >= 0 && code < 0x8800) FUZZ_CHECK(StartsWith(text, "Description not available for error "));
  // The file stays open for the next lookup, which gives the same answer.
  FUZZ_CHECK(f->out.message_file == file);
  FUZZ_CHECK(LookupMessageText(&f->out, code) == text);
  fclose(file);
  f->out.message_file = nullptr;
  return 0;
}
