// Report list view operations of QtDialog.
#include "ui/qt_dialog.h"

#include "platform/text_encoding.h"
#include "ui/qt_text.h"
#include "ui/report_list.h"

#include <QTableView>

namespace qk::ui {

namespace {

// A report list's rows: the view's own model (control_builder makes every report list
// with one).
ReportListModel* rowsOf(const QTableView* list)
{
    return list ? dynamic_cast<ReportListModel*>(list->model()) : nullptr;
}

}  // namespace

void QtDialog::listSetColumns(int id, const std::vector<ListColumn>& columns)
{
    auto* list = widgetAs<QTableView>(id);
    ReportListModel* rows = rowsOf(list);
    if (!rows)
        return;
    rows->setColumnCount(static_cast<int>(columns.size()));
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        rows->setColumnTitle(i, toQt(columns[i].title));
        list->setColumnWidth(i, columns[i].widthPixels);
    }
}

void QtDialog::listSetGridAndFullRow(int id)
{
    if (auto* list = widgetAs<QTableView>(id)) {
        list->setShowGrid(true);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
    }
}

void QtDialog::listClear(int id)
{
    auto* list = widgetAs<QTableView>(id);
    ReportListModel* rows = rowsOf(list);
    if (!rows)
        return;
    quietList_ = true;
    list->clearSelection();
    rows->clear();
    quietList_ = false;
}

int QtDialog::listInsertRow(int id, int index, const std::vector<std::string>& cells)
{
    ReportListModel* rows = rowsOf(widgetAs<QTableView>(id));
    if (!rows || index < 0)
        return -1;
    if (rows->columnCount() == 0)
        rows->setColumnCount(1);  // the item text lives in column 0 even without columns
    // An index past the end appends, as the platform does.
    const int row = std::min(index, rows->rowCount());
    quietList_ = true;
    rows->insertRow(row, cells);
    quietList_ = false;
    return row;
}

void QtDialog::listAppendRows(int id, const std::vector<std::vector<std::string>>& rows)
{
    auto* list = widgetAs<QTableView>(id);
    ReportListModel* model = rowsOf(list);
    if (!model || rows.empty())
        return;
    if (model->columnCount() == 0)
        model->setColumnCount(1);
    // One insertion and no repaint per row: tens of thousands of rows go in at once.
    quietList_ = true;
    list->setUpdatesEnabled(false);
    model->appendRows(rows);
    list->setUpdatesEnabled(true);
    quietList_ = false;
}

int QtDialog::listRowCount(int id) const
{
    const ReportListModel* rows = rowsOf(widgetAs<QTableView>(id));
    return rows ? rows->rowCount() : 0;
}

std::string QtDialog::listCell(int id, int row, int column) const
{
    const ReportListModel* rows = rowsOf(widgetAs<QTableView>(id));
    const std::optional<std::string_view> text = rows ? rows->cell(row, column) : std::nullopt;
    if (!text)
        return {};
    // Read back through the toolkit's text, as the cell shows it.
    const QString shown = QString::fromUtf8(QByteArrayView(text->data(), static_cast<qsizetype>(text->size())));
    return platform::utf8ToCp1252(shown.toUtf8().toStdString());
}

void QtDialog::listSelectRow(int id, int row)
{
    auto* list = widgetAs<QTableView>(id);
    const ReportListModel* rows = rowsOf(list);
    if (!rows || row < 0 || row >= rows->rowCount())
        return;
    list->selectionModel()->setCurrentIndex(
        list->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

int QtDialog::listFirstSelected(int id) const
{
    const auto* list = widgetAs<QTableView>(id);
    const ReportListModel* rows = rowsOf(list);
    if (!rows)
        return -1;
    for (int row = 0; row < rows->rowCount(); ++row) {
        if (list->selectionModel()->isRowSelected(row, QModelIndex()))
            return row;
    }
    return -1;
}

}  // namespace qk::ui
