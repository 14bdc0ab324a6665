// Page arithmetic of printing.
#include "app/print_layout.h"

#include <algorithm>

int LinesPerPage(int printable_height, int line_height) {
  if (line_height <= 0) return 1;
  return std::max(1, printable_height / line_height - kPrintTopMarginRows);
}

int PageCount(int count, int lines_per_page) { return (count + lines_per_page - 1) / lines_per_page; }

std::vector<int> PageSequence(int pages, const PrintChoice& choice) {
  std::vector<int> sequence;
  auto wanted = [&](int page) {
    return !choice.page_range || (page >= choice.from_page && page <= choice.to_page);
  };
  const int copies = std::max(1, choice.copies);
  if (choice.collate) {
    for (int copy = 0; copy < copies; ++copy) {
      for (int page = 1; page <= pages; ++page) {
        if (wanted(page)) sequence.push_back(page);
      }
    }
  } else {
    for (int page = 1; page <= pages; ++page) {
      if (!wanted(page)) continue;
      for (int copy = 0; copy < copies; ++copy) sequence.push_back(page);
    }
  }
  return sequence;
}

void PageLines(int page, int lines_per_page, int count, int* first, int* end) {
  *first = std::min(count, (page - 1) * lines_per_page);
  *end = std::min(count, page * lines_per_page);
}

int PageLineY(int k, int line_height) { return (k + kPrintTopMarginRows) * line_height; }

ImagePlacement PlaceWindowImage(int printable_width, int printable_height, int bitmap_width,
                                int bitmap_height) {
  ImagePlacement place;
  place.left = printable_width / 20;
  place.top = printable_height / 20;
  place.width = printable_width * 9 / 10;
  const int scale = bitmap_width > 0 ? place.width / bitmap_width : 0;
  place.height = std::min(printable_height * 9 / 10, scale * bitmap_height);
  return place;
}
