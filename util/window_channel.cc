// The output window hook of PrintMessage.
#include "util/window_channel.h"

namespace {
// Set once at start-up by the windowed build, before any message is printed.
const WindowChannel* g_window_channel = nullptr;
}  // namespace

void SetWindowChannel(const WindowChannel* channel) { g_window_channel = channel; }

const WindowChannel* CurrentWindowChannel() { return g_window_channel; }
