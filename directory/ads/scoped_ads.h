// Owners for directory-layer handles, so every bound object, search and translator is released on
// every path, and small readers for the attributes of a read or a search row.
#ifndef LORVEX_DIRECTORY_ADS_SCOPED_ADS_H_
#define LORVEX_DIRECTORY_ADS_SCOPED_ADS_H_

#include <string>
#include <vector>

#include "directory/ads/ads.h"

/// Releases a bound object when it goes out of scope.
class ScopedObject {
 public:
  ScopedObject() = default;
  ~ScopedObject() { AdsRelease(object_); }
  ScopedObject(const ScopedObject&) = delete;
  ScopedObject& operator=(const ScopedObject&) = delete;
  AdsObject** out() { return &object_; }
  AdsObject* get() const { return object_; }
  /// Releases the object now.
  void reset() {
    AdsRelease(object_);
    object_ = nullptr;
  }

 private:
  AdsObject* object_ = nullptr;
};

/// Closes a search when it goes out of scope.
class ScopedSearch {
 public:
  ScopedSearch() = default;
  ~ScopedSearch() { AdsCloseSearch(search_); }
  ScopedSearch(const ScopedSearch&) = delete;
  ScopedSearch& operator=(const ScopedSearch&) = delete;
  AdsSearch** out() { return &search_; }
  AdsSearch* get() const { return search_; }
  /// Closes the search now.
  void reset() {
    AdsCloseSearch(search_);
    search_ = nullptr;
  }

 private:
  AdsSearch* search_ = nullptr;
};

/// Releases a name translator when it goes out of scope.
class ScopedTranslator {
 public:
  ScopedTranslator() = default;
  ~ScopedTranslator() { AdsNameTranslateRelease(translator_); }
  ScopedTranslator(const ScopedTranslator&) = delete;
  ScopedTranslator& operator=(const ScopedTranslator&) = delete;
  AdsNameTranslator** out() { return &translator_; }
  AdsNameTranslator* get() const { return translator_; }
  /// Releases the translator now.
  void reset() {
    AdsNameTranslateRelease(translator_);
    translator_ = nullptr;
  }

 private:
  AdsNameTranslator* translator_ = nullptr;
};

/// The attribute of that name (without regard to case), or null.
const AdsAttribute* FindAttribute(const std::vector<AdsAttribute>& attributes, const char* name);
/// The text of the first value of the named attribute; false when it is absent or has no value.
bool FirstText(const std::vector<AdsAttribute>& attributes, const char* name, std::string* text);

/// The first value of the named attribute as an integer (integer types, or decimal text).
bool FirstInteger(const std::vector<AdsAttribute>& attributes, const char* name, int64_t* value);

#endif  // LORVEX_DIRECTORY_ADS_SCOPED_ADS_H_
