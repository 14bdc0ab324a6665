// File names: full paths, deletion, the search path and the last system error of a file operation.
#ifndef LORVEX_UTIL_FILE_PATH_H_
#define LORVEX_UTIL_FILE_PATH_H_

#include <string>

/// The full path of a file name (the file need not exist); false when none can be formed.
bool FullPathName(const std::string& name, std::string* full_path);
/// Deletes a file, if it is an ordinary one; a missing file is no failure worth reporting.
void DeleteFileIfPresent(const std::string& path);
/// Looks for a file name in the directories of the system's search path.
bool FindOnSearchPath(const std::string& name, std::string* found);
/// The system's text for the error of the last failed file operation; false when there is none.
bool LastFileErrorText(std::string* text);

#endif  // LORVEX_UTIL_FILE_PATH_H_
