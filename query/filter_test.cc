// What the filter and the sort do with the combinations the command line never forms (its words
// refuse them) and with a kept list that is dropped. Filtering and sorting of real runs are in the
// golden runs (filter-*, sort-*).
#include "query/filter.h"

#include <gtest/gtest.h>

namespace {

TEST(Filter, CombinationsTheWordsRefuseSelectEveryObject) {
  const struct {
    RestrictionCode code;
    OperatorCode op;
  } cases[] = {{kAd, kOpGt}, {kAe, kOpLt},        {kAl, kOpGe}, {kPe, kOpLe},
               {kPr, kOpGt}, {kBlc, kOpIncludes}, {kAll, kOpEq}};
  for (const auto& c : cases) {
    RunContext run;
    run.restriction = c.code;
    run.op = c.op;
    run.filter_number = 0;  // a clear flag against "no": an ordering of pcr would leave it out
    RestrictionRecord record;
    record.bad_logon_count = 5;
    EXPECT_TRUE(FilterTest(&run, record)) << c.code << " op " << c.op;
  }
}

TEST(Sorting, LogonHoursHaveNoOrderAndADroppedListIsEmptied) {
  RestrictionRecord open;
  RestrictionRecord closed;
  closed.logon_hours[3] = 0;
  EXPECT_EQ(CompareRecords(open, closed, kLh), 0);
  RunContext run;
  KeepRecord(&run, "a", new RestrictionRecord);
  KeepRecord(&run, "b", new RestrictionRecord);
  FreeResultList(&run);
  EXPECT_EQ(run.result_head, nullptr);
  EXPECT_EQ(run.result_tail, nullptr);
  EXPECT_TRUE(SortAndPrint(&run));  // nothing kept: nothing to print
}

}  // namespace
