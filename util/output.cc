// Placeholder: replaced by the real implementation.
#include "util/output.h"
#include <cstdarg>
int PrintMessage(OutputContext*, int32_t, int) { return 0; }
int PrintFormatted(OutputContext* out, int32_t code, int inc, const char* f, ...) { va_list a; va_start(a, f); vsnprintf(out->message, sizeof out->message, f, a); va_end(a); return PrintMessage(out, code, inc); }
void ShowMessageBox(const char*, const char*, unsigned) {}
