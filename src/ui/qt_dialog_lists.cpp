// Report list view operations of QtDialog.
#include "ui/qt_dialog.h"

#include "platform/text_encoding.h"

#include <QHeaderView>
#include <QTableWidget>

namespace qk::ui {

namespace {

QString toQt(const std::string& cp1252)
{
    return QString::fromUtf8(platform::cp1252ToUtf8(cp1252));
}

}  // namespace

void QtDialog::listSetColumns(int id, const std::vector<ListColumn>& columns)
{
    auto* list = widgetAs<QTableWidget>(id);
    if (!list)
        return;
    list->setColumnCount(static_cast<int>(columns.size()));
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        list->setHorizontalHeaderItem(i, new QTableWidgetItem(toQt(columns[i].title)));
        list->setColumnWidth(i, columns[i].widthPixels);
    }
}

void QtDialog::listSetGridAndFullRow(int id)
{
    if (auto* list = widgetAs<QTableWidget>(id)) {
        list->setShowGrid(true);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
    }
}

void QtDialog::listClear(int id)
{
    auto* list = widgetAs<QTableWidget>(id);
    if (!list)
        return;
    quietList_ = true;
    list->clearSelection();
    list->setRowCount(0);
    quietList_ = false;
}

int QtDialog::listInsertRow(int id, int index, const std::vector<std::string>& cells)
{
    auto* list = widgetAs<QTableWidget>(id);
    if (!list || index < 0)
        return -1;
    if (list->columnCount() == 0)
        list->setColumnCount(1);  // the item text lives in column 0 even without columns
    // An index past the end appends, as the platform does.
    const int row = std::min(index, list->rowCount());
    quietList_ = true;
    list->insertRow(row);
    const int columns = std::min(static_cast<int>(cells.size()), list->columnCount());
    for (int column = 0; column < columns; ++column) {
        auto* item = new QTableWidgetItem(toQt(cells[static_cast<std::size_t>(column)]));
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        list->setItem(row, column, item);
    }
    quietList_ = false;
    return row;
}

void QtDialog::listAppendRows(int id, const std::vector<std::vector<std::string>>& rows)
{
    auto* list = widgetAs<QTableWidget>(id);
    if (!list || rows.empty())
        return;
    if (list->columnCount() == 0)
        list->setColumnCount(1);
    // One resize and no repaint per row: tens of thousands of rows go in at once.
    quietList_ = true;
    list->setUpdatesEnabled(false);
    const int first = list->rowCount();
    list->setRowCount(first + static_cast<int>(rows.size()));
    const int columnCount = list->columnCount();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::vector<std::string>& cells = rows[r];
        const int columns = std::min(static_cast<int>(cells.size()), columnCount);
        for (int column = 0; column < columns; ++column) {
            auto* item = new QTableWidgetItem(toQt(cells[static_cast<std::size_t>(column)]));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            list->setItem(first + static_cast<int>(r), column, item);
        }
    }
    list->setUpdatesEnabled(true);
    quietList_ = false;
}

int QtDialog::listRowCount(int id) const
{
    const auto* list = widgetAs<QTableWidget>(id);
    return list ? list->rowCount() : 0;
}

std::string QtDialog::listCell(int id, int row, int column) const
{
    const auto* list = widgetAs<QTableWidget>(id);
    if (!list || row < 0 || row >= list->rowCount() || column < 0 || column >= list->columnCount())
        return {};
    const QTableWidgetItem* item = list->item(row, column);
    return item ? platform::utf8ToCp1252(item->text().toUtf8().toStdString()) : std::string();
}

void QtDialog::listSelectRow(int id, int row)
{
    auto* list = widgetAs<QTableWidget>(id);
    if (!list || row < 0 || row >= list->rowCount())
        return;
    list->selectionModel()->setCurrentIndex(
        list->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

int QtDialog::listFirstSelected(int id) const
{
    const auto* list = widgetAs<QTableWidget>(id);
    if (!list)
        return -1;
    for (int row = 0; row < list->rowCount(); ++row) {
        if (list->selectionModel()->isRowSelected(row, QModelIndex()))
            return row;
    }
    return -1;
}

}  // namespace qk::ui
