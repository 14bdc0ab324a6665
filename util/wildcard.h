// Case-insensitive comparison with '*' and '?' wildcards.
#ifndef LORVEX_UTIL_WILDCARD_H_
#define LORVEX_UTIL_WILDCARD_H_

/// 0 when text matches pattern; otherwise negative when text sorts before pattern, positive after.
int MatchWildcard(const char* pattern, const char* text);

#endif  // LORVEX_UTIL_WILDCARD_H_
