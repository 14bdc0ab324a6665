// File names on POSIX systems.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "util/file_path.h"

bool FullPathName(const std::string& name, std::string* full_path) {
  if (name.empty()) return false;
  std::string path;
  if (name[0] == '/') {
    path = name;
  } else {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return false;
    path = cwd;
    path += '/';
    path += name;
  }
  // Fold "." and ".." lexically, as a full-path function does without touching the disk.
  std::vector<std::string> parts;
  size_t start = 1;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string folded;
  for (const std::string& part : parts) folded.append(1, '/').append(part);
  *full_path = folded.empty() ? std::string(1, '/') : folded;
  return true;
}

void DeleteFileIfPresent(const std::string& path) {
  // Only a regular file goes: a device such as /dev/null or /dev/full, a pipe or a symbolic link
  // named as a log file stays where it is, and opening it for writing then starts it afresh where
  // that means anything. Unlinking a device node as root would remove it for the whole system.
  struct stat status;
  if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) unlink(path.c_str());
}

bool FindOnSearchPath(const std::string& name, std::string* found) {
  const char* search = getenv("PATH");
  if (search == nullptr) return false;
  std::string list = search;
  size_t start = 0;
  while (start <= list.size()) {
    size_t colon = list.find(':', start);
    if (colon == std::string::npos) colon = list.size();
    std::string directory = list.substr(start, colon - start);
    if (!directory.empty()) {
      std::string candidate = directory + "/" + name;
      if (access(candidate.c_str(), R_OK) == 0) {
        *found = candidate;
        return true;
      }
    }
    start = colon + 1;
  }
  return false;
}

bool LastFileErrorText(std::string* text) {
  if (errno == 0) return false;
  *text = strerror(errno);
  return !text->empty();
}
