// Filtering each retrieved record, and the result list kept, sorted and printed when /s is given.
#include "query/filter.h"

#include <algorithm>
#include <new>

#include "report/value_line.h"
#include "run/restriction_table.h"
#include "util/ascii_text.h"
#include "util/output.h"
#include "util/wildcard.h"

namespace {

// The record's number for an integer or time restriction; false for the other restrictions.
bool RecordNumber(const RestrictionRecord& record, uint32_t code, uint32_t* number) {
  const RestrictionInfo& row = RestrictionRow(static_cast<RestrictionCode>(code));
  if (row.number == nullptr) return false;
  *number = record.*row.number;
  return true;
}

// Yes/no restrictions whose ordering operators select every object; for the others an ordering
// operator selects unless both the flag and the value are clear.
bool OrderingSelectsAll(uint32_t code) {
  return code == kAd || code == kAe || code == kAl || code == kPe || code == kPr;
}

bool SelectByFlag(uint32_t code, OperatorCode op, uint32_t flag, uint32_t value) {
  if (op == kOpEq) return flag == value;
  if (op == kOpNe) return flag != value;
  if (OrderingSelectsAll(code)) return true;
  return !(flag == 0 && value == 0);
}

bool SelectByNumber(OperatorCode op, uint32_t record, uint32_t number, uint32_t range) {
  // With a range the value names a period (a day, hour or minute) that starts at number.
  bool equal = range == 0 ? record == number : (record >= number && record - number < range);
  switch (op) {
    case kOpEq:
      return equal;
    case kOpNe:
      return !equal;
    case kOpGt:
      return record > number;
    case kOpGe:
      return record >= number;
    case kOpLt:
      return record < number;
    case kOpLe:
      return record <= number;
    default:
      return true;
  }
}

bool SelectByMatch(OperatorCode op, int match) {
  switch (op) {
    case kOpEq:
      return match == 0;
    case kOpNe:
      return match != 0;
    case kOpGt:
      return match > 0;
    case kOpGe:
      return match >= 0;
    case kOpLt:
      return match < 0;
    case kOpLe:
      return match <= 0;
    default:
      return true;  // includes and excludes apply no test
  }
}

bool AllHoursAllowed(const RestrictionRecord& record) {
  for (uint8_t byte : record.logon_hours) {
    if (byte != 0xFF) return false;
  }
  return true;
}

// Case-insensitive text order: -1, 0 or 1.
int CompareText(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = static_cast<unsigned char>(AsciiLower(a[i])) - static_cast<unsigned char>(AsciiLower(b[i]));
    if (d != 0) return d < 0 ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int CompareNumbers(uint32_t a, uint32_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

const std::string& WorkstationsOf(const RestrictionRecord& record) {
  static const std::string kNone;
  return record.has_workstations ? record.workstations : kNone;
}

void AppendNode(RunContext* run, ResultNode* node) {
  if (run->result_tail != nullptr) {
    run->result_tail->next = node;
  } else {
    run->result_head = node;
  }
  run->result_tail = node;
}

void ReportNoMemoryForSorting(RunContext* run) {
  if (run->output == nullptr) return;
  PrintFormatted(run->output, -1, 1, "%s: Insufficient memory for sorting", run->output->program_name);
}

}  // namespace

bool FilterTest(const RunContext* run, const RestrictionRecord& record) {
  RestrictionCode code = run->restriction;
  OperatorCode op = run->op;
  if (op == kOpNone || code == kAll) return true;

  if (uint32_t bit = RestrictionRow(code).flag) {
    return SelectByFlag(code, op, (record.flags & bit) != 0 ? 1 : 0, run->filter_number);
  }
  uint32_t number = 0;
  if (RecordNumber(record, code, &number)) {
    return SelectByNumber(op, number, run->filter_number, run->filter_range);
  }
  if (code == kPso || code == kWr) {
    if (code == kWr && !record.has_workstations) return false;
    const char* text = record.workstations.c_str();
    if (code == kPso) text = record.pso.empty() ? "[None]" : record.pso.c_str();
    if (op == kOpIncludes || op == kOpExcludes) return true;
    return SelectByMatch(op, MatchWildcard(run->filter_text.c_str(), text));
  }
  if (code == kLh) {
    // The value is only ever "none": equal asks for unrestricted hours, not equal for the others.
    return op == kOpEq ? AllHoursAllowed(record) : !AllHoursAllowed(record);
  }
  return true;
}

ResultNode* KeepRecord(RunContext* run, const std::string& name, RestrictionRecord* record) {
  ResultNode* node = new (std::nothrow) ResultNode{record, nullptr};
  if (node == nullptr) {
    ReportNoMemoryForSorting(run);
    return nullptr;
  }
  record->name = name;
  AppendNode(run, node);
  return node;
}

int SelectAndDispatch(RunContext* run, const std::string& name, RestrictionRecord* record) {
  if (!FilterTest(run, *record)) {
    delete record;
    return kWorkDone;
  }
  ++run->selected;
  if (run->options.sort_mode == 0) {
    WriteObjectLine(run, name, *record);
    delete record;
    return kWorkDone;
  }
  if (KeepRecord(run, name, record) == nullptr) {
    delete record;
    return kWorkNoMemory;
  }
  return kWorkDone;
}

uint32_t SortKeyOf(const RunContext* run) {
  uint32_t mode = run->options.sort_mode;
  uint32_t key =
      (mode & kSortName) != 0 ? static_cast<uint32_t>(kSortByName) : static_cast<uint32_t>(run->restriction);
  return key | (mode & kSortReverse);
}

int CompareRecords(const RestrictionRecord& first, const RestrictionRecord& second, uint32_t key) {
  bool reverse = (key & kSortReverse) != 0;
  const RestrictionRecord& a = reverse ? second : first;
  const RestrictionRecord& b = reverse ? first : second;
  uint32_t code = key & ~static_cast<uint32_t>(kSortReverse);

  if (code == kSortByName) return CompareText(a.name, b.name);
  if (uint32_t bit = RestrictionRow(static_cast<RestrictionCode>(code)).flag) {
    return CompareNumbers((a.flags & bit) != 0 ? 1 : 0, (b.flags & bit) != 0 ? 1 : 0);
  }
  uint32_t number_a = 0, number_b = 0;
  if (RecordNumber(a, code, &number_a) && RecordNumber(b, code, &number_b)) {
    return CompareNumbers(number_a, number_b);
  }
  if (code == kPso) return CompareText(a.pso, b.pso);
  if (code == kWr) return CompareText(WorkstationsOf(a), WorkstationsOf(b));
  return 0;  // logon hours and all restrictions have no order
}

void SortRecords(RestrictionRecord** records, size_t count, uint32_t key) {
  bool by_name = (key & ~static_cast<uint32_t>(kSortReverse)) == kSortByName;
  // Records equal under a value key follow each other by name, ascending whatever the direction.
  std::sort(records, records + count, [key, by_name](const RestrictionRecord* a, const RestrictionRecord* b) {
    int order = CompareRecords(*a, *b, key);
    if (order != 0 || by_name) return order < 0;
    return CompareText(a->name, b->name) < 0;
  });
}

bool SortAndPrint(RunContext* run) {
  size_t count = 0;
  for (ResultNode* node = run->result_head; node != nullptr; node = node->next) ++count;
  if (count == 0) return true;
  RestrictionRecord** records = new (std::nothrow) RestrictionRecord*[count];
  if (records == nullptr) {
    // Nothing can be printed in order; the kept records are dropped and the run goes on.
    ReportNoMemoryForSorting(run);
    FreeResultList(run);
    return false;
  }
  size_t at = 0;
  ResultNode* node = run->result_head;
  while (node != nullptr) {
    ResultNode* next = node->next;
    records[at++] = node->record;
    delete node;
    node = next;
  }
  run->result_head = nullptr;
  run->result_tail = nullptr;

  SortRecords(records, count, SortKeyOf(run));
  for (size_t i = 0; i < count; ++i) {
    WriteObjectLine(run, records[i]->name, *records[i]);
    delete records[i];
  }
  delete[] records;
  return true;
}

void FreeResultList(RunContext* run) {
  ResultNode* node = run->result_head;
  while (node != nullptr) {
    ResultNode* next = node->next;
    delete node->record;
    delete node;
    node = next;
  }
  run->result_head = nullptr;
  run->result_tail = nullptr;
}
