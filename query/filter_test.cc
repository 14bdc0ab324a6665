#include "query/filter.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "query/values.h"
#include "util/output.h"

namespace {

constexpr uint32_t kToday = 1308096000;  // 15 June 2011 00:00:00
constexpr uint32_t kDay = 86400;

RunContext FilterRun(RestrictionCode code, OperatorCode op, uint32_t number = 0, uint32_t range = 0,
                     const char* text = nullptr) {
  RunContext run;
  run.restriction = code;
  run.op = op;
  run.filter_number = number;
  run.filter_range = range;
  if (text != nullptr) {
    run.filter_text = text;
    run.has_filter_text = true;
  }
  return run;
}

RestrictionRecord WithFlags(uint32_t flags) {
  RestrictionRecord record;
  record.flags = flags;
  return record;
}

RestrictionRecord WithWorkstations(const char* workstations) {
  RestrictionRecord record;
  record.workstations = workstations;
  record.has_workstations = true;
  return record;
}

}  // namespace

TEST(Filter, NoOperatorOrAllSelectsEveryObject) {
  RestrictionRecord record;
  RunContext none = FilterRun(kAd, kOpNone, 1);
  EXPECT_TRUE(FilterTest(&none, WithFlags(0)));
  RunContext all = FilterRun(kAll, kOpEq, 1);
  EXPECT_TRUE(FilterTest(&all, record));
}

TEST(Filter, OrderingOperatorsOnYesNoRestrictions) {
  const struct {
    RestrictionCode code;
    OperatorCode op;
    uint32_t value;
    uint32_t flags;
    bool selected;
  } cases[] = {
      // ad, ae, al, pe and pr: any ordering selects every object.
      {kAd, kOpGt, 0, 0, true},
      {kAe, kOpLt, 1, 0, true},
      {kPr, kOpLe, 0, 0, true},
      // The others: selected unless both the flag and the value are clear.
      {kPcr, kOpGt, 0, kFlagComplexity, true},  // pcr gt no: complexity set
      {kPcr, kOpGt, 0, 0, false},
      {kPcr, kOpGt, 1, 0, true},  // pcr gt yes: every account
      {kPcr, kOpGt, 1, kFlagComplexity, true},
      {kPcr, kOpLt, 0, 0, false},
      {kPcr, kOpGe, 0, kFlagComplexity, true},
  };
  for (const auto& c : cases) {
    RunContext run = FilterRun(c.code, c.op, c.value);
    EXPECT_EQ(FilterTest(&run, WithFlags(c.flags)), c.selected) << c.code << " op " << c.op << " " << c.value;
  }
}

TEST(Filter, NumbersAndTimesCompareUnsignedWithTheRange) {
  const struct {
    RestrictionCode code;
    OperatorCode op;
    uint32_t number;
    uint32_t range;
    uint32_t value;
    bool selected;
  } cases[] = {
      // lld eq today: any time of the day.
      {kLld, kOpEq, kToday, kDay, kToday, true},
      {kLld, kOpEq, kToday, kDay, kToday + kDay - 1, true},
      {kLld, kOpEq, kToday, kDay, kToday + kDay, false},
      {kLld, kOpEq, kToday, kDay, kToday - 1, false},
      {kLld, kOpNe, kToday, kDay, kToday + kDay, true},
      {kLld, kOpNe, kToday, kDay, kToday + 3600, false},
      // An hour and a minute.
      {kLld, kOpEq, kToday + 7200, 3600, kToday + 7200 + 3599, true},
      {kLld, kOpEq, kToday + 7200, 3600, kToday + 7200 + 3600, false},
      {kLld, kOpEq, kToday + 60, 60, kToday + 119, true},
      {kLld, kOpEq, kToday + 60, 0, kToday + 61, false},
      // Orderings compare with the start of the period.
      {kLld, kOpLe, kToday, kDay, kToday, true},
      {kLld, kOpLe, kToday, kDay, kToday + 3600, false},
      {kLld, kOpLt, kToday - 30 * kDay, kDay, 0, true},  // never logged on lies before every date
      {kLld, kOpGt, kToday, kDay, kToday, false},
      {kLld, kOpGe, kToday, kDay, kToday, true},
      // none is 0.
      {kAed, kOpEq, 0, 0, 0, true},
      {kAed, kOpNe, 0, 0, kToday, true},
      // Unsigned: locked is the greatest count.
      {kBlc, kOpEq, 4294967295u, 0, 4294967295u, true},
      {kBlc, kOpGt, 5, 0, 4294967295u, true},
      {kBlc, kOpLt, 4294967295u, 0, 3, true},
      {kBlc, kOpGe, 3, 0, 3, true},
      {kBlc, kOpLt, 3, 0, 3, false},
      {kBlc, kOpIncludes, 3, 0, 9, true},
  };
  for (const auto& c : cases) {
    RunContext run = FilterRun(c.code, c.op, c.number, c.range);
    RestrictionRecord record;
    record.last_logon = c.value;
    record.account_expires = c.value;
    record.bad_logon_count = c.value;
    EXPECT_EQ(FilterTest(&run, record), c.selected)
        << c.code << " op " << c.op << " " << c.number << "+" << c.range << " vs " << c.value;
  }
}

TEST(Filter, TypedDateSelectsAnyLogonOfThatDay) {
  RunContext run;
  OutputContext out = {};
  out.fixed_now = kToday + 50000;
  run.output = &out;
  run.restriction = kLld;
  run.op = kOpEq;
  std::string error;
  ASSERT_TRUE(ParseValue(&run, "today", "lld", &error, kLld));
  RestrictionRecord record;
  record.last_logon = kToday + 86399;
  EXPECT_TRUE(FilterTest(&run, record));
  run.op = kOpLe;
  EXPECT_FALSE(FilterTest(&run, record));
}

TEST(Filter, PasswordSettingsObjectsCompareByWildcardWithMissingAsNone) {
  const char kDn[] = "CN=pso1,CN=Password Settings Container,CN=System,DC=example,DC=com";
  const struct {
    OperatorCode op;
    const char* filter;
    const char* pso;
    bool selected;
  } cases[] = {
      {kOpEq, "[None]", "", true},
      {kOpEq, "[None]", kDn, false},
      {kOpNe, "[None]", kDn, true},
      {kOpNe, "[None]", "", false},
      {kOpEq, "cn=pso1,cn=password settings container,cn=system,dc=example,dc=com", kDn, true},
      {kOpEq, "cn=pso*", kDn, true},
      {kOpGt, "cn=pso0*", kDn, true},
      {kOpLt, "cn=pso0*", kDn, false},
      {kOpIncludes, "x", "", true},
  };
  for (const auto& c : cases) {
    RunContext run = FilterRun(kPso, c.op, 0, 0, c.filter);
    RestrictionRecord record;
    record.pso = c.pso;
    EXPECT_EQ(FilterTest(&run, record), c.selected) << c.op << " " << c.filter << " vs " << c.pso;
  }
}

TEST(Filter, WorkstationsCompareByWildcardAndNoneIsNeverSelected) {
  const struct {
    OperatorCode op;
    const char* filter;
    const char* workstations;  // nullptr: every workstation allowed
    bool selected;
  } cases[] = {
      {kOpEq, "pc*", "PC01", true},         {kOpEq, "pc*", "pc-lab", true},
      {kOpEq, "pc*", "WS01", false},        {kOpNe, "pc*", "WS01", true},
      {kOpNe, "pc*", "PC01", false},        {kOpGt, "pc*", "WS01", true},
      {kOpGe, "pc*", "PC01", true},         {kOpLt, "pc*", "AB", true},
      {kOpLe, "pc*", "WS01", false},        {kOpExcludes, "pc*", "WS01", true},
      {kOpEq, "pc*", nullptr, false},       {kOpNe, "pc*", nullptr, false},
      {kOpEq, "[None]", nullptr, false},    {kOpNe, "[None]", nullptr, false},
      {kOpIncludes, "pc*", nullptr, false},
  };
  for (const auto& c : cases) {
    RunContext run = FilterRun(kWr, c.op, 0, 0, c.filter);
    RestrictionRecord record =
        c.workstations != nullptr ? WithWorkstations(c.workstations) : RestrictionRecord();
    EXPECT_EQ(FilterTest(&run, record), c.selected)
        << c.op << " " << c.filter << " vs " << (c.workstations ? c.workstations : "(none)");
  }
}

TEST(Filter, LogonHoursEqualSelectsUnrestrictedAccounts) {
  RestrictionRecord open;
  RestrictionRecord restricted;
  restricted.logon_hours[20] = 0x7F;
  RunContext eq = FilterRun(kLh, kOpEq, 0, 0, "none");
  RunContext ne = FilterRun(kLh, kOpNe, 0, 0, "n");
  EXPECT_TRUE(FilterTest(&eq, open));
  EXPECT_FALSE(FilterTest(&eq, restricted));
  EXPECT_FALSE(FilterTest(&ne, open));
  EXPECT_TRUE(FilterTest(&ne, restricted));
}

TEST(ResultList, UnselectedRecordsAreNeitherCountedNorKept) {
  RunContext run = FilterRun(kBlc, kOpGt, 2);
  run.options.sort_mode = kSortName;
  RestrictionRecord* record = new RestrictionRecord;
  record->bad_logon_count = 1;
  EXPECT_EQ(SelectAndDispatch(&run, "CN=a", record), 0);
  EXPECT_EQ(run.selected, 0);
  EXPECT_EQ(run.result_head, nullptr);
}

TEST(ResultList, WithoutSortingSelectedRecordsArePrintedAtOnce) {
  RunContext run = FilterRun(kBlc, kOpGt, 2);
  RestrictionRecord* record = new RestrictionRecord;
  record->bad_logon_count = 3;
  EXPECT_EQ(SelectAndDispatch(&run, "CN=a", record), 0);
  EXPECT_EQ(run.selected, 1);
  EXPECT_EQ(run.result_head, nullptr);
}

TEST(ResultList, WithSortingSelectedRecordsAreKeptWithTheirNames) {
  RunContext run = FilterRun(kBlc, kOpNone);
  run.options.sort_mode = kSortValue;
  EXPECT_EQ(SelectAndDispatch(&run, "first", new RestrictionRecord), 0);
  EXPECT_EQ(SelectAndDispatch(&run, "second", new RestrictionRecord), 0);
  EXPECT_EQ(run.selected, 2);
  ASSERT_NE(run.result_head, nullptr);
  EXPECT_EQ(run.result_head->record->name, "first");
  ASSERT_NE(run.result_head->next, nullptr);
  EXPECT_EQ(run.result_head->next->record->name, "second");
  EXPECT_EQ(run.result_tail, run.result_head->next);
  EXPECT_TRUE(SortAndPrint(&run));
  EXPECT_EQ(run.result_head, nullptr);
  EXPECT_EQ(run.result_tail, nullptr);
  EXPECT_TRUE(SortAndPrint(&run));  // nothing kept: nothing to do
}

TEST(ResultList, FreeEmptiesTheList) {
  RunContext run;
  KeepRecord(&run, "a", new RestrictionRecord);
  KeepRecord(&run, "b", new RestrictionRecord);
  FreeResultList(&run);
  EXPECT_EQ(run.result_head, nullptr);
  EXPECT_EQ(run.result_tail, nullptr);
}

TEST(Sorting, KeyIsTheNameOrTheRestrictionWithTheReverseBit) {
  const struct {
    uint32_t mode;
    uint32_t key;
  } cases[] = {{kSortName, 33},
               {kSortName | kSortReverse, 0x80000021u},
               {kSortValue, kBlc},
               {kSortValue | kSortReverse, 0x80000005u}};
  for (const auto& c : cases) {
    RunContext run;
    run.restriction = kBlc;
    run.options.sort_mode = c.mode;
    EXPECT_EQ(SortKeyOf(&run), c.key) << std::hex << c.mode;
  }
}

namespace {

uint32_t Reversed(uint32_t key) { return key | kSortReverse; }

struct Sample {
  const char* name;
  std::function<void(RestrictionRecord*)> fill;
};

// Sorts records built from samples and returns their names in order.
std::vector<std::string> SortedNames(const std::vector<Sample>& samples, uint32_t key) {
  std::vector<RestrictionRecord> records(samples.size());
  std::vector<RestrictionRecord*> pointers;
  for (size_t i = 0; i < samples.size(); ++i) {
    records[i].name = samples[i].name;
    if (samples[i].fill) samples[i].fill(&records[i]);
    pointers.push_back(&records[i]);
  }
  SortRecords(pointers.data(), pointers.size(), key);
  std::vector<std::string> names;
  for (const RestrictionRecord* record : pointers) names.push_back(record->name);
  return names;
}

std::function<void(RestrictionRecord*)> Count(uint32_t count) {
  return [count](RestrictionRecord* r) { r->bad_logon_count = count; };
}

}  // namespace

TEST(Sorting, ByNameWithoutRegardToCase) {
  std::vector<Sample> samples = {
      {"bob", nullptr}, {"Alice", nullptr}, {"carol", nullptr}, {"ALBERT", nullptr}};
  EXPECT_EQ(SortedNames(samples, kSortByName), (std::vector<std::string>{"ALBERT", "Alice", "bob", "carol"}));
  EXPECT_EQ(SortedNames(samples, Reversed(kSortByName)),
            (std::vector<std::string>{"carol", "bob", "Alice", "ALBERT"}));
}

TEST(Sorting, ByValueWithEqualValuesByNameAscending) {
  std::vector<Sample> samples = {
      {"bob", Count(3)},  {"alice", Count(5)}, {"dave", Count(3)},
      {"carl", Count(0)}, {"Eve", Count(5)},   {"zed", Count(4294967295u)},
  };
  EXPECT_EQ(SortedNames(samples, kBlc),
            (std::vector<std::string>{"carl", "bob", "dave", "alice", "Eve", "zed"}));
  // Reversed: the highest count first, equal counts still by name ascending.
  EXPECT_EQ(SortedNames(samples, Reversed(kBlc)),
            (std::vector<std::string>{"zed", "alice", "Eve", "bob", "dave", "carl"}));
}

TEST(Sorting, FlagsSortClearBeforeSet) {
  auto never = [](RestrictionRecord* r) { r->flags = kFlagNeverExpires; };
  std::vector<Sample> samples = {{"a", never}, {"b", nullptr}, {"c", never}, {"d", nullptr}};
  EXPECT_EQ(SortedNames(samples, kPne), (std::vector<std::string>{"b", "d", "a", "c"}));
  EXPECT_EQ(SortedNames(samples, Reversed(kPne)), (std::vector<std::string>{"a", "c", "b", "d"}));
}

TEST(Sorting, TextsSortWithoutRegardToCaseAndMissingAsEmpty) {
  auto pso = [](const char* dn) { return [dn](RestrictionRecord* r) { r->pso = dn; }; };
  std::vector<Sample> psos = {
      {"a", pso("CN=pso2")}, {"b", nullptr}, {"c", pso("cn=PSO1")}, {"d", pso("cn=pso2")}};
  EXPECT_EQ(SortedNames(psos, kPso), (std::vector<std::string>{"b", "c", "a", "d"}));

  auto wr = [](const char* list) {
    return [list](RestrictionRecord* r) {
      r->workstations = list;
      r->has_workstations = true;
    };
  };
  std::vector<Sample> lists = {{"x", wr("WS01")}, {"y", nullptr}, {"z", wr("pc01,pc02")}};
  EXPECT_EQ(SortedNames(lists, kWr), (std::vector<std::string>{"y", "z", "x"}));
}

TEST(Sorting, TimesCompareAsUnsignedNumbers) {
  auto logon = [](uint32_t t) { return [t](RestrictionRecord* r) { r->last_logon = t; }; };
  std::vector<Sample> samples = {{"late", logon(4000000000u)}, {"never", logon(0)}, {"early", logon(kToday)}};
  EXPECT_EQ(SortedNames(samples, kLld), (std::vector<std::string>{"never", "early", "late"}));
}

TEST(Sorting, CompareIsThreeWay) {
  RestrictionRecord low;
  RestrictionRecord high;
  low.bad_logon_count = 1;
  high.bad_logon_count = 1000;
  EXPECT_EQ(CompareRecords(low, high, kBlc), -1);
  EXPECT_EQ(CompareRecords(high, low, kBlc), 1);
  EXPECT_EQ(CompareRecords(low, low, kBlc), 0);
  EXPECT_EQ(CompareRecords(low, high, Reversed(kBlc)), 1);
  EXPECT_EQ(CompareRecords(low, high, kLh), 0);
}
