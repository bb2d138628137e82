#include "app/qt_template_list.hpp"

#include <QHeaderView>

#include "catalogue/gbk.hpp"

namespace miaoyu::app {
namespace {

constexpr int kColumns = 5;
constexpr int kBytesRole = Qt::UserRole;

QString to_qstring(std::string_view gbk) { return QString::fromStdString(gbk_to_utf8(gbk)); }

}  // namespace

QtTemplateList::QtTemplateList(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(kColumns);
  setHeaderLabels({to_qstring("\xD1\xA1\xD4\xF1\xCD\xC2\xB2\xDB\xCD\xBC\xC6\xAC"), {}, {}, {}, {}});  // 选择吐槽图片
  // The four hidden cells are columns of no width, hidden as well so that no
  // elision marks appear for them.
  header()->setMinimumSectionSize(0);
  setColumnWidth(0, 200);
  for (int column = 1; column < kColumns; ++column) {
    setColumnWidth(column, 0);
    setColumnHidden(column, true);
  }
  header()->setSectionsClickable(false);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(false);
  header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSortingEnabled(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFocusPolicy(Qt::ClickFocus);
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);

  QFont list_font = font();
  list_font.setPixelSize(16);
  list_font.setWeight(QFont::Normal);
  setFont(list_font);

  // Black on white, and the selection stays highlighted without the focus.
  QPalette colours = palette();
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Text, Qt::black);
  for (const auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
    colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
  }
  setPalette(colours);

  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
    if (current != nullptr) emit rowFocused();
  });
}

int QtTemplateList::append_row() {
  const int row = topLevelItemCount();
  auto* item = new QTreeWidgetItem();
  for (int column = 0; column < kColumns; ++column) item->setData(column, kBytesRole, QByteArray());
  addTopLevelItem(item);
  return row;
}

void QtTemplateList::set_cell_text(int row, int column, std::string_view text) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr || column < 0 || column >= kColumns) return;
  item->setData(column, kBytesRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  item->setText(column, to_qstring(text));
}

Text QtTemplateList::cell_text(int row, int column) const {
  const QTreeWidgetItem* item = row >= 0 ? topLevelItem(row) : nullptr;
  if (item == nullptr || column < 0 || column >= kColumns) return {};
  return item->data(column, kBytesRole).toByteArray().toStdString();
}

int QtTemplateList::selected_row() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  if (selected.isEmpty()) return -1;
  int first = topLevelItemCount();
  for (QTreeWidgetItem* item : selected) first = std::min(first, indexOfTopLevelItem(item));
  return first;
}

int QtTemplateList::row_count() const { return topLevelItemCount(); }

}  // namespace miaoyu::app
