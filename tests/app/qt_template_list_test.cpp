#include "app/qt_template_list.hpp"

#include <QApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace miaoyu::app {
namespace {

class QtEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "miaoyu_app_tests";
    static char* argv[] = {name, nullptr};
    application_ = new QApplication(argc, argv);
  }
  void TearDown() override { delete application_; }

 private:
  QApplication* application_ = nullptr;
};

const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new QtEnvironment);

TEST(QtTemplateListTest, CellsKeepTheirBytesExactly) {
  QtTemplateList list(nullptr);
  const std::string cells[] = {
      "\xC3\xEE\xD3\xEF",          // 妙语
      std::string("a\0b", 3),       // a NUL inside
      "\xFF\x80\xB0",               // bytes GBK does not decode whole
      std::string(20000, 'x'),      // long
      "",
  };
  const int row = list.append_row();
  EXPECT_EQ(row, 0);
  for (int column = 0; column < 5; ++column) list.set_cell_text(row, column, cells[column]);
  for (int column = 0; column < 5; ++column) EXPECT_EQ(list.cell_text(row, column), cells[column]) << column;
  EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("妙语"));
}

TEST(QtTemplateListTest, OutsideTheListIsEmptyAndChangesNothing) {
  QtTemplateList list(nullptr);
  list.append_row();
  list.set_cell_text(0, 4, "120");
  list.set_cell_text(1, 0, "lost");
  list.set_cell_text(0, 5, "lost");
  struct Case {
    int row, column;
    std::string expected;
  };
  const Case cases[] = {{0, 4, "120"}, {-1, 0, ""}, {1, 0, ""}, {0, 5, ""}, {0, -1, ""}};
  for (const auto& c : cases) EXPECT_EQ(list.cell_text(c.row, c.column), c.expected) << c.row << "," << c.column;
  EXPECT_EQ(list.row_count(), 1);
}

TEST(QtTemplateListTest, SelectionAndRowFocus) {
  QtTemplateList list(nullptr);
  QSignalSpy focused(&list, &QtTemplateList::rowFocused);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.append_row(), i);
  EXPECT_EQ(focused.count(), 0);  // appending raises no row-focus event
  EXPECT_EQ(list.selected_row(), -1);

  list.setCurrentItem(list.topLevelItem(2));
  EXPECT_EQ(focused.count(), 1);
  EXPECT_EQ(list.selected_row(), 2);
  list.setCurrentItem(list.topLevelItem(2));  // already the focused row
  EXPECT_EQ(focused.count(), 1);
  list.setCurrentItem(list.topLevelItem(0));
  EXPECT_EQ(focused.count(), 2);
  EXPECT_EQ(list.selected_row(), 0);
}

}  // namespace
}  // namespace miaoyu::app
