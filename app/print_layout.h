// Page arithmetic of printing: lines per page, the order pages come out in, where lines and the
// window image go on a page.
#ifndef LORVEX_APP_PRINT_LAYOUT_H_
#define LORVEX_APP_PRINT_LAYOUT_H_

#include <vector>

/// Rows at the top of each page left free as a margin.
constexpr int kPrintTopMarginRows = 2;

/// What the print dialog returned about the pages and copies wanted.
struct PrintChoice {
  int copies = 1;
  bool collate = false;
  bool page_range = false;  ///< only pages from_page to to_page
  int from_page = 1;
  int to_page = 1;
};

/// Text lines of one page: the rows of the printable height less the margin rows, at least 1.
int LinesPerPage(int printable_height, int line_height);
/// Pages that count lines take.
int PageCount(int count, int lines_per_page);
/// The pages to print, 1-based, in the order they are printed (copies, collation and range applied).
std::vector<int> PageSequence(int pages, const PrintChoice& choice);
/// The store lines [first, end) on a page (1-based).
void PageLines(int page, int lines_per_page, int count, int* first, int* end);
/// Device y of line k (0-based) of a page.
int PageLineY(int k, int line_height);

/// Where the window image goes on the page, in device units.
struct ImagePlacement {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

/// Places a bitmap on a page: 9/10 of the printable width, height scaled by whole multiples of the
/// bitmap's height but at most 9/10 of the printable height, a twentieth of the page in from the corner.
ImagePlacement PlaceWindowImage(int printable_width, int printable_height, int bitmap_width,
                                int bitmap_height);

#endif  // LORVEX_APP_PRINT_LAYOUT_H_
