// The yes/no form of the change-password walk; the walk itself reads every form of descriptor in
// the golden runs (tests/golden/dacl.txt).
#include "directory/permission.h"

#include <gtest/gtest.h>

TEST(ChangePasswordDacl, TheYesNoFormAnswersOnlyAReadableDescriptor) {
  bool denied = true;
  EXPECT_FALSE(DaclDeniesChangePassword("", &denied) || denied);
  // Revision 1, no DACL present: read, and nothing is denied.
  EXPECT_TRUE(DaclDeniesChangePassword(std::string("\x01\x00\x00\x80", 4) + std::string(16, '\0'), &denied));
  EXPECT_FALSE(denied);
}
