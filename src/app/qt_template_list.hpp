// The template list `超级列表框1` as a Qt report list. Each cell keeps the
// exact bytes it was given (under a user role) and shows their decoding.
#pragma once

#include <QTreeWidget>

#include "catalogue/template_list.hpp"

namespace miaoyu::app {

class QtTemplateList final : public QTreeWidget, public catalogue::TemplateList {
  Q_OBJECT

 public:
  explicit QtTemplateList(QWidget* parent);

  int append_row() override;
  void set_cell_text(int row, int column, std::string_view text) override;
  Text cell_text(int row, int column) const override;
  int selected_row() const override;
  int row_count() const override;

 signals:
  // A row became the list's focused row.
  void rowFocused();
};

}  // namespace miaoyu::app
