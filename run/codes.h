// Restriction and operator codes, the vocabulary shared by every layer.
#ifndef LORVEX_RUN_CODES_H_
#define LORVEX_RUN_CODES_H_

#include <cstdint>

/// Restriction keywords 1 to 32; 33 is the sort key of the object name.
enum RestrictionCode : uint32_t {
  kRestrictionNone = 0,
  kAd = 1,
  kAe = 2,
  kAed = 3,
  kAl = 4,
  kBlc = 5,
  kCd = 6,
  kIld = 7,
  kIlp = 8,
  kIlr = 9,
  kIlt = 10,
  kLld = 11,
  kLud = 13,
  kMd = 14,
  kPcr = 15,
  kPcl = 16,
  kPe = 17,
  kPed = 18,
  kPhl = 19,
  kPmx = 20,
  kPlc = 21,
  kPml = 22,
  kPmn = 23,
  kPne = 24,
  kPr = 25,
  kPre = 26,
  kPso = 27,
  kPuc = 28,
  kPur = 29,
  kLh = 30,
  kWr = 31,
  kAll = 32,
  kSortByName = 33,
};

/// Comparison operators; kOpNone means no filter.
enum OperatorCode : uint32_t {
  kOpEq = 0,
  kOpNe = 1,
  kOpGt = 2,
  kOpGe = 3,
  kOpLt = 4,
  kOpLe = 5,
  kOpIncludes = 6,
  kOpExcludes = 7,
  kOpNone = 255,
};

/// Sort mode bits of /s.
enum SortBits : uint32_t {
  kSortName = 0x10000000,
  kSortValue = 0x20000000,
  kSortReverse = 0x80000000,
};

/// Results of per-object work.
enum WorkResult : int {
  kWorkDone = 0,
  kWorkNoMemory = 150,
  kWorkCancelled = 151,
};

#endif  // LORVEX_RUN_CODES_H_
