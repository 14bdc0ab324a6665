// Security identifiers to and from their "S-1-" text form.
#ifndef LORVEX_DIRECTORY_ADS_SID_H_
#define LORVEX_DIRECTORY_ADS_SID_H_

#include <string>

/// The text form of a binary SID; false (text empty) when the SID is not valid.
bool SidToText(const std::string& sid, std::string* text);
/// The binary SID of a text form; false when the text is not one.
bool TextToSid(const std::string& text, std::string* sid);

#endif  // LORVEX_DIRECTORY_ADS_SID_H_
