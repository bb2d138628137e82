// The template list: the rows of the catalogue, one template per row, and the
// program's only store of template data. Cells hold GBK bytes exactly as set.
#pragma once

#include <string_view>

#include "catalogue/text.hpp"

namespace miaoyu::catalogue {

class TemplateList {
 public:
  // Columns: display name, picture file name, tops of caption lines 1 to 3.
  static constexpr int kColumnCount = 5;

  virtual ~TemplateList() = default;

  // Adds a row of empty cells after all others, neither selected nor
  // focused, without raising the row-focus event; returns its index, the
  // row count before the call.
  virtual int append_row() = 0;

  // A row or column outside the list changes nothing.
  virtual void set_cell_text(int row, int column, std::string_view text) = 0;

  // The empty text for a row or column outside the list.
  virtual Text cell_text(int row, int column) const = 0;

  // The selected row, -1 when none.
  virtual int selected_row() const = 0;

  virtual int row_count() const = 0;
};

}  // namespace miaoyu::catalogue
