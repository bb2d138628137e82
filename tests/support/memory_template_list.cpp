#include "support/memory_template_list.hpp"

namespace miaoyu::support {


int MemoryTemplateList::append_row() {
  rows_.emplace_back();
  return row_count() - 1;
}

void MemoryTemplateList::set_cell_text(int row, int column, std::string_view text) {
  if (contains(row) && column >= 0 && column < kColumnCount) {
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)].assign(text);
  }
}

Text MemoryTemplateList::cell_text(int row, int column) const {
  if (contains(row) && column >= 0 && column < kColumnCount) {
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }
  return {};
}

void MemoryTemplateList::click_row(int row) {
  if (!contains(row)) {
    return;
  }
  selected_ = row;
  if (focused_ != row) {
    focused_ = row;
    ++focus_events_;
    if (handler_) {
      handler_();
    }
  }
}

}  // namespace miaoyu::support
