// The output window's line store.
#include "app/line_store.h"

#include <cstdlib>
#include <cstring>

LineStore g_line_store;

bool LineStoreAppend(LineStore* store, const char* text) {
  if (store->count == store->capacity) {
    const int capacity = store->capacity + kLineStoreStep;
    void* grown = realloc(store->lines, sizeof(char*) * capacity);
    if (grown == nullptr) return false;
    store->lines = static_cast<char**>(grown);
    store->capacity = capacity;
  }
  const size_t length = strlen(text);
  char* copy = static_cast<char*>(malloc(length + 1));
  if (copy == nullptr) return false;
  memcpy(copy, text, length + 1);
  store->lines[store->count++] = copy;
  if (static_cast<int>(length) > store->longest) store->longest = static_cast<int>(length);
  return true;
}

void LineStoreRelease(LineStore* store) {
  for (int i = 0; i < store->count; ++i) free(store->lines[i]);
  free(store->lines);
  *store = LineStore();
}

size_t LineStoreTextSize(const LineStore& store) {
  size_t total = 1;
  for (int i = 0; i < store.count; ++i) total += strlen(store.lines[i]) + 2;
  return total;
}

void LineStoreCopyText(const LineStore& store, char* buffer) {
  for (int i = 0; i < store.count; ++i) {
    const size_t length = strlen(store.lines[i]);
    memcpy(buffer, store.lines[i], length);
    buffer += length;
    *buffer++ = '\r';
    *buffer++ = '\n';
  }
  *buffer = '\0';
}
