// A template list held in memory, for tests and benchmarks. It tracks the
// selected and the focused row apart, as the window's list does, and counts
// the row-focus events it raises.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <string_view>
#include <utility>

#include "catalogue/template_list.hpp"

namespace miaoyu::support {

using catalogue::TemplateList;

class MemoryTemplateList final : public TemplateList {
 public:
  int append_row() override;
  void set_cell_text(int row, int column, std::string_view text) override;
  Text cell_text(int row, int column) const override;
  int selected_row() const override { return selected_; }
  int row_count() const override { return static_cast<int>(rows_.size()); }

  // What a click on a row does: it becomes the selected and the focused row,
  // and the row-focus event is raised when the focused row changed. A row
  // outside the list changes nothing.
  void click_row(int row);

  // Runs on every row-focus event.
  void on_row_focus(std::function<void()> handler) { handler_ = std::move(handler); }
  int row_focus_events() const { return focus_events_; }

 private:
  bool contains(int row) const { return row >= 0 && row < row_count(); }

  // A deque never moves its rows, however many are appended.
  std::deque<std::array<Text, kColumnCount>> rows_;
  int selected_ = -1;
  int focused_ = -1;
  int focus_events_ = 0;
  std::function<void()> handler_;
};

}  // namespace miaoyu::support
