// The /l and /e channel keywords, the log and error files.
#ifndef LORVEX_UTIL_CHANNELS_H_
#define LORVEX_UTIL_CHANNELS_H_

#include <cstdint>
#include <string>

#include "util/output.h"

/// Fills the channel word and file name of letter 'l' or 'e' from the option value (null: none).
bool SetChannelWord(OutputContext* out, char letter, const char* value);
/// Opens the log and error files the channel words ask for.
bool OpenChannelFiles(OutputContext* out);
/// Removes double quotes and replaces the % date and time codes in the last path component.
std::string ExpandFileNameCodes(const std::string& name, uint32_t fixed_now);
/// Writes separators and closes the log, error and message files.
void CloseChannelFiles(OutputContext* out);

#endif  // LORVEX_UTIL_CHANNELS_H_
