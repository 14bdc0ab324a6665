// Printing the output window: its lines through the print dialog, with an abort dialog, and an
// image of the window on the default printer.
#include <cstring>
#include <vector>

#include "app/line_store.h"
#include "app/print_layout.h"
#include "app/resource_ids.h"
#include "app/window_win32.h"

namespace {

HWND g_abort_dialog = nullptr;
bool g_abort = false;

INT_PTR CALLBACK AbortDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextW(dialog, IDC_PRINT_PROGRAM, kWindowTitle);
      EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wparam), RGB(0xC0, 0xC0, 0xC0));
      return reinterpret_cast<INT_PTR>(GetStockObject(LTGRAY_BRUSH));
    case WM_COMMAND:
      // Cancel: stop printing and give the main window back.
      g_abort = true;
      EnableWindow(GetParent(dialog), TRUE);
      DestroyWindow(dialog);
      g_abort_dialog = nullptr;
      return TRUE;
    default:
      return FALSE;
  }
}

// Keeps the abort dialog answering while the spooler takes the pages.
BOOL CALLBACK AbortProc(HDC, int) {
  MSG message;
  while (!g_abort && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (g_abort_dialog == nullptr || !IsDialogMessageW(g_abort_dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return !g_abort;
}

// A printer's own default font may be so wide that the output window's 80-column lines do not fit
// on the page; a 10-point fixed-pitch font keeps the columns lined up and whole lines on paper.
HFONT CreatePrinterFont(HDC dc) {
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(10, GetDeviceCaps(dc, LOGPIXELSY), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = ANSI_CHARSET;
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  wcscpy(font.lfFaceName, L"Courier New");
  return CreateFontIndirectW(&font);
}

// Prints every page of the sequence; false at the first failing page or a cancel.
bool PrintPages(HDC dc, HFONT font, const std::vector<int>& sequence, int lines_per_page) {
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  const int w = metrics.tmAveCharWidth;
  const int h = metrics.tmHeight + metrics.tmExternalLeading;
  for (int page : sequence) {
    if (g_abort) return false;
    if (StartPage(dc) <= 0) return false;
    SelectObject(dc, font);  // some drivers reset the device context at each page
    TextOutA(dc, 2 * w, h, " ", 1);
    TextOutA(dc, 2 * w, 2 * h, " ", 1);
    int first = 0;
    int end = 0;
    PageLines(page, lines_per_page, g_line_store.count, &first, &end);
    for (int i = first; i < end; ++i) {
      const char* line = g_line_store.lines[i];
      TextOutA(dc, 2 * w, PageLineY(i - first, h), line, static_cast<int>(strlen(line)));
    }
    if (EndPage(dc) <= 0) return false;
  }
  return !g_abort;
}

}  // namespace

bool PrintStoreLines(HWND window) {
  PRINTDLGW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_DISABLEPRINTTOFILE;
  dialog.nFromPage = 1;
  dialog.nToPage = 1;
  dialog.nMinPage = 1;
  dialog.nMaxPage = 65535;
  dialog.nCopies = 1;
  if (!PrintDlgW(&dialog) || dialog.hDC == nullptr) return true;  // cancelled: nothing to do
  HDC dc = dialog.hDC;
  if (g_line_store.count == 0) {
    DeleteDC(dc);
    return true;
  }
  HFONT font = CreatePrinterFont(dc);
  HGDIOBJ old_font = SelectObject(dc, font);
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  const int lines_per_page =
      LinesPerPage(GetDeviceCaps(dc, VERTRES), metrics.tmHeight + metrics.tmExternalLeading);
  PrintChoice choice;
  choice.copies = dialog.nCopies;
  choice.collate = (dialog.Flags & PD_COLLATE) != 0;
  choice.page_range = (dialog.Flags & PD_PAGENUMS) != 0;
  choice.from_page = dialog.nFromPage;
  choice.to_page = dialog.nToPage;
  const std::vector<int> sequence = PageSequence(PageCount(g_line_store.count, lines_per_page), choice);

  g_abort = false;
  EnableWindow(window, FALSE);
  g_abort_dialog = CreateDialogW(g_app.instance, L"PrintDlgBox", window, AbortDialogProc);
  SetAbortProc(dc, AbortProc);

  wchar_t title[256];
  GetWindowTextW(window, title, 256);
  DOCINFOW document = {};
  document.cbSize = sizeof document;
  document.lpszDocName = title;
  bool ok = StartDocW(dc, &document) > 0;
  if (ok) ok = PrintPages(dc, font, sequence, lines_per_page);
  if (ok) {
    EndDoc(dc);
  } else {
    AbortDoc(dc);
  }
  if (!g_abort) EnableWindow(window, TRUE);
  if (g_abort_dialog != nullptr) {
    DestroyWindow(g_abort_dialog);
    g_abort_dialog = nullptr;
  }
  SelectObject(dc, old_font);
  DeleteObject(font);
  DeleteDC(dc);
  return ok;
}

bool PrintWindowImage(HWND window) {
  PRINTDLGW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
  if (!PrintDlgW(&dialog) || dialog.hDC == nullptr || !IsWindow(window)) {
    if (dialog.hDC != nullptr) DeleteDC(dialog.hDC);
    return false;
  }
  HDC printer = dialog.hDC;
  RECT frame;
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;

  // The window, frame included, copied into a 24-bit device-independent bitmap.
  HDC screen = GetWindowDC(window);
  HPALETTE palette = nullptr;
  if (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) {
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    LOGPALETTE* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = 256;
    GetSystemPaletteEntries(screen, 0, 256, logical->palPalEntry);
    palette = CreatePalette(logical);
    SelectPalette(screen, palette, FALSE);
    RealizePalette(screen);
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bitmap != nullptr;
  if (ok) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (palette != nullptr) {
      SelectPalette(memory, palette, FALSE);
      RealizePalette(memory);
    }
    ok = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != 0;
    SelectObject(memory, old);
    GdiFlush();
  }
  ReleaseDC(window, screen);
  DeleteDC(memory);

  if (ok) {
    DOCINFOW document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = L"Window Contents";
    ok = StartDocW(printer, &document) > 0 && StartPage(printer) > 0;
    if (ok) {
      const ImagePlacement place =
          PlaceWindowImage(GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES), width, height);
      StretchDIBits(printer, place.left, place.top, place.width, place.height, 0, 0, width, height, bits,
                    &info, DIB_RGB_COLORS, SRCCOPY);
      ok = EndPage(printer) > 0 && EndDoc(printer) > 0;
    }
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (palette != nullptr) DeleteObject(palette);
  DeleteDC(printer);
  return ok;
}
