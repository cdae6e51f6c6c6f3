#include "ui/report_list.h"

#include "platform/text_encoding.h"

#include <QByteArrayView>

namespace qk::ui {

namespace {

void putNumber(std::string& out, std::size_t value)
{
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

std::size_t takeNumber(std::string_view text, std::size_t& at)
{
    std::size_t value = 0;
    for (int shift = 0; at < text.size(); shift += 7) {
        const auto byte = static_cast<unsigned char>(text[at++]);
        value |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            break;
    }
    return value;
}

// The cells of the row that starts at `at`, as views into `text`.
std::vector<std::string_view> cellsAt(std::string_view text, std::size_t at)
{
    std::vector<std::string_view> cells(takeNumber(text, at));
    for (std::string_view& cell : cells) {
        const std::size_t length = takeNumber(text, at);
        cell = text.substr(at, length);
        at += length;
    }
    return cells;
}

// Appends a row of `count` cells made by `cellText(i)` (UTF-8).
template <typename CellText>
void putRow(std::string& out, std::size_t count, CellText cellText)
{
    putNumber(out, count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto text = cellText(i);
        putNumber(out, text.size());
        out.append(text);
    }
}

// The flags the table widget's own model gives a cell that never received an item.
constexpr Qt::ItemFlags kFlagsWithoutItem = Qt::ItemIsEditable | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                                            Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;

}  // namespace

int ReportListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rowStarts_.size());
}

int ReportListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

std::optional<std::string_view> ReportListModel::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return std::nullopt;
    std::string_view text(text_);
    std::size_t at = rowStarts_[static_cast<std::size_t>(row)];
    const std::size_t count = takeNumber(text, at);
    if (static_cast<std::size_t>(column) >= count)
        return std::nullopt;
    for (int c = 0; c < column; ++c) {
        const std::size_t skipped = takeNumber(text, at);
        at += skipped;
    }
    const std::size_t length = takeNumber(text, at);
    return text.substr(at, length);
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const std::optional<std::string_view> text = cell(index.row(), index.column());
    if (!text)
        return {};
    return QString::fromUtf8(QByteArrayView(text->data(), static_cast<qsizetype>(text->size())));
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0)
        return {};
    const int count = orientation == Qt::Horizontal ? columnCount() : rowCount();
    if (section >= count)
        return {};
    if (orientation == Qt::Horizontal && titles_[static_cast<std::size_t>(section)]) {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return *titles_[static_cast<std::size_t>(section)];
        return {};
    }
    // A section without a title shows its number.
    if (role == Qt::DisplayRole)
        return section + 1;
    return {};
}

Qt::ItemFlags ReportListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return cell(index.row(), index.column()) ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : kFlagsWithoutItem;
}

std::size_t ReportListModel::cellsToKeep(std::size_t given) const
{
    return std::min(given, titles_.size());
}

void ReportListModel::setColumnCount(int count)
{
    const int current = columnCount();
    if (count < 0 || count == current)
        return;
    if (count > current) {
        beginInsertColumns(QModelIndex(), current, count - 1);
        titles_.resize(static_cast<std::size_t>(count));
        endInsertColumns();
        return;
    }
    beginRemoveColumns(QModelIndex(), count, current - 1);
    titles_.resize(static_cast<std::size_t>(count));
    // The removed columns' cells go too: every row is written again without them.
    std::string kept;
    kept.reserve(text_.size());
    for (std::size_t& start : rowStarts_) {
        const std::vector<std::string_view> cells = cellsAt(text_, start);
        start = kept.size();
        putRow(kept, cellsToKeep(cells.size()), [&](std::size_t i) { return cells[i]; });
    }
    text_ = std::move(kept);
    endRemoveColumns();
}

void ReportListModel::setColumnTitle(int column, const QString& title)
{
    if (column < 0 || column >= columnCount())
        return;
    titles_[static_cast<std::size_t>(column)] = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void ReportListModel::insertRow(int row, const std::vector<std::string>& cells)
{
    if (row < 0 || row > rowCount())
        return;
    beginInsertRows(QModelIndex(), row, row);
    const std::size_t start = text_.size();
    putRow(text_, cellsToKeep(cells.size()), [&](std::size_t i) { return platform::cp1252ToUtf8(cells[i]); });
    rowStarts_.insert(rowStarts_.begin() + row, start);
    endInsertRows();
}

void ReportListModel::appendRows(const std::vector<std::vector<std::string>>& rows)
{
    if (rows.empty())
        return;
    // Room for the whole batch at once (exactly, for texts in plain ASCII).
    std::size_t bytes = 0;
    for (const std::vector<std::string>& cells : rows) {
        const std::size_t kept = cellsToKeep(cells.size());
        bytes += 1 + kept;
        for (std::size_t c = 0; c < kept; ++c)
            bytes += cells[c].size();
    }
    text_.reserve(text_.size() + bytes);
    rowStarts_.reserve(rowStarts_.size() + rows.size());

    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    for (const std::vector<std::string>& cells : rows) {
        rowStarts_.push_back(text_.size());
        putRow(text_, cellsToKeep(cells.size()), [&](std::size_t i) { return platform::cp1252ToUtf8(cells[i]); });
    }
    endInsertRows();
}

void ReportListModel::clear()
{
    if (rowStarts_.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, rowCount() - 1);
    // The memory goes back too, not just the rows.
    std::string().swap(text_);
    std::vector<std::size_t>().swap(rowStarts_);
    endRemoveRows();
}

}  // namespace qk::ui
