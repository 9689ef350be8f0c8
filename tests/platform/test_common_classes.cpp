// The window-class table every backend keeps.
#include "platform/common/window_class.h"

#include <gtest/gtest.h>

#include <string>

namespace {

intptr_t First(uintptr_t, uint32_t, uint32_t, uint32_t) { return 1; }
intptr_t Second(uintptr_t, uint32_t, uint32_t, uint32_t) { return 2; }

TEST(CommonClasses, ANameKeepsItsSlotAndTakesTheNewestProcedure) {
  CommonClassTable table{};
  EXPECT_EQ(CommonClassFind(table, "demo"), -1);
  EXPECT_EQ(CommonClassRegister(&table, "demo", First), 0);
  EXPECT_EQ(CommonClassRegister(&table, "other", Second), 1);
  EXPECT_EQ(CommonClassRegister(&table, "demo", Second), 0);
  EXPECT_EQ(CommonClassFind(table, "demo"), 0);
  EXPECT_EQ(CommonClassFind(table, "other"), 1);
  EXPECT_EQ(table.slot[0].procedure, &Second);
  EXPECT_EQ(CommonClassFind(table, "Demo"), -1) << "names match case and all";
  EXPECT_EQ(CommonClassFind(table, nullptr), -1);
}

TEST(CommonClasses, RefusesWhatDoesNotFitAndLeavesTheTableAsItWas) {
  CommonClassTable table{};
  EXPECT_EQ(CommonClassRegister(&table, nullptr, First), -1);
  std::string longest(CommonClassNameRoom - 1, 'a');
  EXPECT_EQ(CommonClassRegister(&table, longest.c_str(), First), 0);
  std::string tooLong(CommonClassNameRoom, 'b');
  EXPECT_EQ(CommonClassRegister(&table, tooLong.c_str(), First), -1);
  for (int i = 1; i < CommonClassRoom; i++) {
    EXPECT_EQ(CommonClassRegister(&table, std::to_string(i).c_str(), First), i);
  }
  EXPECT_EQ(CommonClassRegister(&table, "one more", First), -1);
  // A name already there still takes a new procedure in a full table.
  EXPECT_EQ(CommonClassRegister(&table, "1", Second), 1);
  EXPECT_EQ(CommonClassFind(table, "one more"), -1);
  EXPECT_EQ(CommonClassFind(table, longest.c_str()), 0);
}

}  // namespace
