// The output window: paints the line store in the fixed-pitch font, scrolls both ways, follows
// new output and shows found text in reverse.
#include <algorithm>
#include <atomic>

#include "app/line_store.h"
#include "app/window_win32.h"
#include "run/run_context.h"
#include "run/worker_control.h"
#include "util/window_channel.h"

AppState g_app;
WindowView g_view;
RegisteredMessages g_messages;

namespace {

// Appends a line on behalf of a printing thread; the main thread performs every append so that
// appending and painting never overlap.
const UINT kAppendLineMessage = WM_APP + 1;

// Milliseconds between checks, and how many checks, while a closing window waits for the worker.
constexpr DWORD kCloseWaitStep = 50;
constexpr int kCloseWaitSteps = 10;

// Whether the worker may still hand lines to the window, and whether it is handing one over now.
// Once the window is closing the worker must never wait for this thread: destroying the window
// can take seconds (under Wine without a window manager it waits two seconds for one), and after
// it this thread only waits for the worker to end.
std::atomic<bool> g_worker_lines_taken{true};
std::atomic<bool> g_handing_over{false};

void ReadFontMetrics(HWND window) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  g_view.char_width = std::max(1, static_cast<int>(metrics.tmAveCharWidth));
  g_view.line_height = std::max(1, static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading));
}

void SetScrollBars(HWND window) {
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = g_view.lines_at_size + 1;
  info.nPage = static_cast<UINT>(g_view.client_height / g_view.line_height);
  info.nPos = g_view.vertical.position;
  SetScrollInfo(window, SB_VERT, &info, TRUE);
  EnableScrollBar(window, SB_VERT, ESB_ENABLE_BOTH);
  info.nMax = g_view.longest_at_size + 1;
  info.nPage = static_cast<UINT>(g_view.client_width / g_view.char_width);
  info.nPos = g_view.horizontal.position;
  SetScrollInfo(window, SB_HORZ, &info, TRUE);
}

void OnSize(HWND window, int width, int height) {
  // The scroll bars are always there; counting their room in keeps the text area steady.
  ComputeScrollRanges(&g_view, width + GetSystemMetrics(SM_CXVSCROLL),
                      height + GetSystemMetrics(SM_CYHSCROLL), g_line_store.count, g_line_store.longest);
  SetScrollBars(window);
}

void ScrollVertically(HWND window, int delta) {
  delta = ClampScroll(g_view.vertical, delta);
  if (delta == 0) return;
  g_view.vertical.position += delta;
  ScrollWindow(window, 0, -delta * g_view.line_height, nullptr, nullptr);
  SetScrollPos(window, SB_VERT, g_view.vertical.position, TRUE);
  UpdateWindow(window);
}

void ScrollHorizontally(HWND window, int delta) {
  delta = ClampScroll(g_view.horizontal, delta);
  if (delta == 0) return;
  g_view.horizontal.position += delta;
  ScrollWindow(window, -delta * g_view.char_width, 0, nullptr, nullptr);
  SetScrollPos(window, SB_HORZ, g_view.horizontal.position, TRUE);
}

// The move to where the user drags the thumb. The scroll message carries only the low 16 bits of
// the thumb's position, which wrap in a window of more than 65,535 lines; the scroll bar itself
// keeps all 32.
int ThumbDelta(HWND window, int bar, const ScrollAxis& axis) {
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  return GetScrollInfo(window, bar, &info) ? info.nTrackPos - axis.position : 0;
}

void OnVerticalScroll(HWND window, int request) {
  switch (request) {
    case SB_LINEUP:
      ScrollVertically(window, -1);
      break;
    case SB_LINEDOWN:
      ScrollVertically(window, 1);
      break;
    case SB_PAGEUP:
      ScrollVertically(window, -VerticalPage(g_view));
      break;
    case SB_PAGEDOWN:
      ScrollVertically(window, VerticalPage(g_view));
      break;
    case SB_THUMBTRACK:
      ScrollVertically(window, ThumbDelta(window, SB_VERT, g_view.vertical));
      break;
    case SB_TOP:
      ScrollVertically(window, -g_view.vertical.position);
      break;
    case SB_BOTTOM:
      ScrollVertically(window, g_view.vertical.limit - g_view.vertical.position);
      break;
    default:
      break;
  }
}

void OnHorizontalScroll(HWND window, int request) {
  switch (request) {
    case SB_LINELEFT:
      ScrollHorizontally(window, -1);
      break;
    case SB_LINERIGHT:
      ScrollHorizontally(window, 1);
      break;
    case SB_PAGELEFT:
      ScrollHorizontally(window, -kHorizontalPage);
      break;
    case SB_PAGERIGHT:
      ScrollHorizontally(window, kHorizontalPage);
      break;
    case SB_THUMBTRACK:
      ScrollHorizontally(window, ThumbDelta(window, SB_HORZ, g_view.horizontal));
      break;
    default:
      break;
  }
}

void OnKeyDown(HWND window, WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      PostQuitMessage(0);
      break;
    case VK_PRIOR:
      OnVerticalScroll(window, SB_PAGEUP);
      break;
    case VK_NEXT:
      OnVerticalScroll(window, SB_PAGEDOWN);
      break;
    case VK_HOME:
      OnVerticalScroll(window, SB_TOP);
      break;
    case VK_END:
      OnVerticalScroll(window, SB_BOTTOM);
      break;
    case VK_UP:
      OnVerticalScroll(window, SB_LINEUP);
      break;
    case VK_DOWN:
      OnVerticalScroll(window, SB_LINEDOWN);
      break;
    case VK_LEFT:
      OnHorizontalScroll(window, SB_PAGELEFT);
      break;
    case VK_RIGHT:
      OnHorizontalScroll(window, SB_PAGERIGHT);
      break;
    case VK_SNAPSHOT:
      g_view.printed_on_key_down = true;
      PrintScreenCommand(window);
      break;
    default:
      break;
  }
}

// Windows often keeps the Print Screen key's press to itself and sends the window only its
// release; where both arrive, the press has printed already.
void OnPrintScreenKeyUp(HWND window) {
  if (!g_view.printed_on_key_down) PrintScreenCommand(window);
  g_view.printed_on_key_down = false;
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HGDIOBJ old_font = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
  SetBkColor(dc, RGB(0xC0, 0xC0, 0xC0));
  int first = 0;
  int end = 0;
  LinesToPaint(g_view, paint.rcPaint.top, paint.rcPaint.bottom, g_line_store.count, &first, &end);
  const int x = LineX(g_view);
  for (int i = first; i < end; ++i) {
    const char* line = g_line_store.lines[i];
    TextOutA(dc, x, LineY(g_view, i), line, static_cast<int>(strlen(line)));
  }
  const Highlight& h = g_view.highlight;
  if (h.line >= 0 && h.line < g_line_store.count) {
    const char* line = g_line_store.lines[h.line];
    const int length = static_cast<int>(strlen(line));
    if (h.column < length) {
      SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
      SetBkColor(dc, RGB(0, 0, 0));
      TextOutA(dc, x + h.column * g_view.char_width, LineY(g_view, h.line), line + h.column,
               std::min(h.length, length - h.column));
    }
  }
  SelectObject(dc, old_font);
  EndPaint(window, &paint);
  if (g_view.clear_after_paint) {
    RetireHighlight(&g_view);
    g_view.clear_after_paint = false;
  }
}

void InvalidateHighlight(HWND window, const Highlight& highlight) {
  ViewRect r = HighlightRect(g_view, highlight);
  RECT rect = {r.left, r.top, r.left + r.width, r.top + r.height};
  InvalidateRect(window, &rect, TRUE);
}

void OnLineAdded(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const int y = LineY(g_view, g_line_store.count - 1);
  RECT band = {0, y, client.right, y + g_view.line_height};
  InvalidateRect(window, &band, TRUE);
  if (FollowsAppendedLine(g_view)) ScrollVertically(window, 1);
}

void OnShowFound(HWND window, int line, int column, int length) {
  g_view.last_highlight = g_view.highlight;
  g_view.highlight = {line, column, length};
  SendMessageW(window, g_messages.zap, 0, 0);
  const int delta = ScrollToLineDelta(g_view, line);
  if (delta != 0) {
    g_view.vertical.position += delta;
    SetScrollPos(window, SB_VERT, g_view.vertical.position, TRUE);
    InvalidateRect(window, nullptr, TRUE);
  }
  InvalidateHighlight(window, g_view.highlight);
  UpdateWindow(window);
}

void OnZapLastSearch(HWND window) {
  if (g_view.last_highlight.line < 0) return;
  InvalidateHighlight(window, g_view.last_highlight);
  g_view.last_highlight = Highlight();
}

void OnCreate(HWND window) {
  ReadFontMetrics(window);
  g_messages.find_replace = RegisterWindowMessageW(FINDMSGSTRINGW);
  g_messages.scroll = RegisterWindowMessageW(L"ZEM Scroll Window");
  g_messages.add = RegisterWindowMessageW(L"ZEM Add To Window");
  g_messages.zap = RegisterWindowMessageW(L"ZEM Zap Last Search");
  g_view.highlight = Highlight();
  g_view.last_highlight = Highlight();
}

// Stops taking the worker's lines; a line it is handing over right now is still taken, so that it
// is not left waiting for a window that is gone.
void RefuseWorkerLines() {
  g_worker_lines_taken.store(false);
  while (g_handing_over.load()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kCloseWaitStep, QS_SENDMESSAGE);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

void OnClose(HWND window) {
  if (WorkerExists()) {
    StopWorker(kCloseWaitSteps, kCloseWaitStep);
    // The worker still runs when it has lines left to print (records kept for sorting): they are
    // dropped, so it ends at once instead of after the window's destruction.
    RefuseWorkerLines();
  }
  // No message loop follows the driver once the user has closed the window.
  g_silent = true;
  DestroyWindow(window);
}

// WindowChannel operations.
size_t ChannelLineCount() { return static_cast<size_t>(g_line_store.count); }

void ChannelAppendLine(const char* text) {
  if (GetCurrentThreadId() == g_app.main_thread) {
    HWND window = g_app.main_window;
    if (window == nullptr) return;
    LineStoreAppend(&g_line_store, text);
    SendSizeNotification(window);
    SendMessageW(window, g_messages.add, 0, 0);
    return;
  }
  // Before each line the worker holds still while the user is asked whether to stop.
  WorkerSafePoint();
  g_handing_over.store(true);
  HWND window = g_app.main_window;
  if (window != nullptr && g_worker_lines_taken.load()) {
    SendMessageW(window, kAppendLineMessage, 0, reinterpret_cast<LPARAM>(text));
    SendSizeNotification(window);
    SendMessageW(window, g_messages.add, 0, 0);
  }
  g_handing_over.store(false);
}

void ChannelFlush() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

const WindowChannel kWindowChannel = {ChannelLineCount, ChannelAppendLine, ChannelFlush};

}  // namespace

void SendSizeNotification(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

void InstallWindowChannel() { SetWindowChannel(&kWindowChannel); }

LRESULT CALLBACK OutputWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_SIZE:
      OnSize(window, LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_VSCROLL:
      OnVerticalScroll(window, LOWORD(wparam));
      return 0;
    case WM_HSCROLL:
      OnHorizontalScroll(window, LOWORD(wparam));
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(window, wparam);
      return 0;
    case WM_KEYUP:
      if (wparam != VK_SNAPSHOT) break;
      OnPrintScreenKeyUp(window);
      return 0;
    case WM_SETCURSOR:
      if (g_app.wait_cursor != nullptr && LOWORD(lparam) == HTCLIENT) {
        SetCursor(g_app.wait_cursor);
        return TRUE;
      }
      break;
    case WM_CLOSE:
      OnClose(window);
      return 0;
    case WM_DESTROY:
      g_app.main_window = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      RunCommand(window, LOWORD(wparam));
      return 0;
    case WM_INITMENUPOPUP:
      OnMenuPopup(reinterpret_cast<HMENU>(wparam));
      return 0;
    case kAppendLineMessage:
      LineStoreAppend(&g_line_store, reinterpret_cast<const char*>(lparam));
      return 0;
    default:
      break;
  }
  if (message != 0) {
    if (message == g_messages.add) {
      OnLineAdded(window);
      return 0;
    }
    if (message == g_messages.scroll) {
      OnShowFound(window, static_cast<int>(wparam), HIWORD(lparam), LOWORD(lparam));
      return 0;
    }
    if (message == g_messages.zap) {
      OnZapLastSearch(window);
      return 0;
    }
    if (message == g_messages.find_replace) {
      OnFindNotification(window, reinterpret_cast<const FINDREPLACEW*>(lparam));
      return 0;
    }
  }
  return DefWindowProcW(window, message, wparam, lparam);
}
