#pragma once
// The rows of a report list view, held compactly. A catalog lists tens of thousands of
// products; a table widget would keep an item object per cell (about a kilobyte a row),
// where this model keeps each row's cell texts packed in one shared buffer and makes
// the toolkit's text only for the cells that are drawn or read.
//
// The model answers the view exactly as the table widget's own model did for cells
// made from text: a cell that was given a text is selectable and enabled and shows that
// text (display and edit roles); a cell that was never given one (a row with fewer
// texts than columns) has no data; a column without a title shows its number.

#include <QAbstractTableModel>
#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qk::ui {

class ReportListModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Columns added have no title; columns removed take their cells and titles along.
    void setColumnCount(int count);
    // The title of an existing column.
    void setColumnTitle(int column, const QString& title);

    // Inserts one row before `row` (0 <= row <= rowCount), its cells from Windows-1252
    // texts; texts past the last column are dropped.
    void insertRow(int row, const std::vector<std::string>& cells);
    // Appends rows in one go, each as insertRow takes it.
    void appendRows(const std::vector<std::vector<std::string>>& rows);
    // Removes every row; the columns stay.
    void clear();

    // The UTF-8 text of a cell; nullopt for a cell never given a text or out of range.
    [[nodiscard]] std::optional<std::string_view> cell(int row, int column) const;

private:
    [[nodiscard]] std::size_t cellsToKeep(std::size_t given) const;

    // A row in text_: its number of cells, then each cell's UTF-8 byte length and bytes;
    // numbers as base-128 varints (one byte below 128).
    std::string text_;
    std::vector<std::size_t> rowStarts_;          // in row order; offsets into text_
    std::vector<std::optional<QString>> titles_;  // one per column; nullopt: no title
};

}  // namespace qk::ui
