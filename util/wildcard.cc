// Case-insensitive comparison of a text with a pattern holding '*' and '?' wildcards.
//
// The walk is single-pass: after a '*' the following literal segment is matched at its first
// occurrence in the text and earlier occurrences are never revisited, so the comparison costs at
// most one scan of the text per segment. Letters compare in ASCII lower case, bytes as unsigned.
#include "util/wildcard.h"

#include <cstring>

namespace {

int Lower(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
}

// Byte-wise comparison of n characters in lower case: negative, 0 or positive.
int CompareLower(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    int d = Lower(a[i]) - Lower(b[i]);
    if (d != 0) return d;
  }
  return 0;
}

// Compares the end of `rest` with a segment that must close the text. A rest shorter than the
// segment can never match; it is ordered by comparing what there is, and sorts first when that
// agrees (a shorter text sorts before a longer one).
int CompareTail(const char* rest, size_t rest_len, const char* segment, size_t segment_len) {
  if (rest_len < segment_len) {
    int d = CompareLower(rest, segment, rest_len);
    return d != 0 ? d : -1;
  }
  return CompareLower(rest + rest_len - segment_len, segment, segment_len);
}

// First position of the segment in rest, compared in lower case; -1 when absent.
long FindLower(const char* rest, size_t rest_len, const char* segment, size_t segment_len) {
  if (rest_len < segment_len) return -1;
  for (size_t i = 0; i + segment_len <= rest_len; ++i) {
    if (CompareLower(rest + i, segment, segment_len) == 0) return static_cast<long>(i);
  }
  return -1;
}

}  // namespace

int MatchWildcard(const char* pattern, const char* text) {
  const char* p = pattern;
  const char* t = text;
  int result = 0;
  while (*p != '\0' && *t != '\0' && result == 0) {
    if (*p == '?') {
      ++p;
      ++t;
    } else if (*p == '*') {
      ++p;
      if (*p == '\0') return 0;  // a closing '*' takes the rest of the text
      size_t segment_len = strcspn(p, "*?");
      size_t rest_len = strlen(t);
      if (p[segment_len] == '\0') return CompareTail(t, rest_len, p, segment_len);
      long at = FindLower(t, rest_len, p, segment_len);
      if (at < 0) {
        result = CompareTail(t, rest_len, p, segment_len);  // non-zero: the segment occurs nowhere
      } else {
        t += at + segment_len;
        p += segment_len;
      }
    } else {
      result = Lower(*t) - Lower(*p);
      ++p;
      ++t;
    }
  }
  // The end-of-walk rules decide the result whatever the walk found: text left over after the
  // pattern orders the text after it, pattern left over after the text orders it before.
  if (*p == '\0' && *t != '\0' && (p == pattern || p[-1] != '*')) result = 1;
  if (*t == '\0' && strspn(p, "*?") != strlen(p)) result = -1;
  return result;
}
