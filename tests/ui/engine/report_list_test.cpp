// The compact report list: the model answers the view as the table widget's own model
// did, and the engine's list operations keep rows, order, cells and selection through
// batch appends, inserts and clears.
#include "recording_handler.h"
#include "test_dialog.h"
#include "ui/qt_dialog.h"
#include "platform/text_encoding.h"
#include "ui/report_list.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTableView>
#include <QTableWidget>

#include <string>
#include <vector>

namespace qk::ui {
namespace {

using Rows = std::vector<std::vector<std::string>>;

QString toQt(const std::string& cp1252)
{
    return QString::fromUtf8(platform::cp1252ToUtf8(cp1252));
}

// The table widget filled as the engine used to fill it: header items for the titled
// columns, a selectable item per given cell (cells past the last column dropped).
void fillReference(QTableWidget& table, int columns, const std::vector<std::string>& titles, const Rows& rows)
{
    table.setColumnCount(columns);
    for (int i = 0; i < static_cast<int>(titles.size()); ++i)
        table.setHorizontalHeaderItem(i, new QTableWidgetItem(toQt(titles[static_cast<std::size_t>(i)])));
    table.setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const std::vector<std::string>& cells = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < std::min(static_cast<int>(cells.size()), columns); ++c) {
            auto* item = new QTableWidgetItem(toQt(cells[static_cast<std::size_t>(c)]));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            table.setItem(r, c, item);
        }
    }
}

void fillModel(ReportListModel& model, int columns, const std::vector<std::string>& titles, const Rows& rows)
{
    model.setColumnCount(columns);
    for (int i = 0; i < static_cast<int>(titles.size()); ++i)
        model.setColumnTitle(i, toQt(titles[static_cast<std::size_t>(i)]));
    model.appendRows(rows);
}

// Every role of every cell and header section, flags included, as the reference gives them.
void expectSameAnswers(const QAbstractItemModel& reference, const QAbstractItemModel& model)
{
    ASSERT_EQ(model.rowCount(), reference.rowCount());
    ASSERT_EQ(model.columnCount(), reference.columnCount());
    const int roles = Qt::UserRole + 2;
    for (int r = -1; r <= reference.rowCount(); ++r) {
        for (int c = -1; c <= reference.columnCount(); ++c) {
            const QModelIndex want = reference.index(r, c);
            const QModelIndex got = model.index(r, c);
            ASSERT_EQ(got.isValid(), want.isValid()) << r << "," << c;
            EXPECT_EQ(model.flags(got), reference.flags(want)) << r << "," << c;
            for (int role = 0; role < roles; ++role)
                EXPECT_EQ(model.data(got, role), reference.data(want, role)) << r << "," << c << " role " << role;
        }
    }
    for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
        const int sections = orientation == Qt::Horizontal ? reference.columnCount() : reference.rowCount();
        for (int s = -1; s <= sections; ++s)
            for (int role = 0; role < roles; ++role)
                EXPECT_EQ(model.headerData(s, orientation, role), reference.headerData(s, orientation, role))
                    << "section " << s << " orientation " << orientation << " role " << role;
    }
}

TEST(ReportListModel, AnswersEveryRoleAsTheTableWidgetDid)
{
    const Rows rows{{"* Skylane", "Aircraft", "Library"},
                    {"Caf\xE9 \x80 \x93quoted\x94", "", "$9.95"},
                    {"Short"},
                    {},
                    {"Wide", "Cat", "$1.00", "dropped"},
                    {std::string("nul\0inside", 10), "x", "y"}};
    QTableWidget reference;
    fillReference(reference, 3, {"Product", "Category", "Price"}, rows);
    ReportListModel model;
    fillModel(model, 3, {"Product", "Category", "Price"}, rows);
    expectSameAnswers(*reference.model(), model);

    // Columns without titles show their numbers.
    QTableWidget untitledReference;
    fillReference(untitledReference, 3, {"Only"}, rows);
    ReportListModel untitled;
    fillModel(untitled, 3, {"Only"}, rows);
    expectSameAnswers(*untitledReference.model(), untitled);
}

TEST(ReportListModel, FewerColumnsDropTheirCellsAndMoreColumnsComeEmpty)
{
    const Rows rows{{"a0", "a1", "a2"}, {"b0"}, {"c0", "c1"}};
    QTableWidget reference;
    fillReference(reference, 3, {"A", "B", "C"}, rows);
    ReportListModel model;
    fillModel(model, 3, {"A", "B", "C"}, rows);

    reference.setColumnCount(1);
    model.setColumnCount(1);
    expectSameAnswers(*reference.model(), model);
    reference.setColumnCount(3);
    model.setColumnCount(3);
    expectSameAnswers(*reference.model(), model);
    EXPECT_FALSE(model.cell(0, 1).has_value());
    EXPECT_EQ(model.cell(0, 0), "a0");
}

TEST(ReportListModel, RowsInsertedAnywhereKeepTheirCellsAndOrder)
{
    ReportListModel model;
    model.setColumnCount(2);
    model.appendRows({{"r1", "1"}, {"r2", "2"}});
    model.insertRow(0, {"r0", "0"});
    model.insertRow(3, {"r3"});
    model.insertRow(2, {std::string(300, 'L'), "long"});  // lengths past one varint byte
    model.insertRow(9, {"never"});                        // out of range: nothing
    ASSERT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.cell(0, 0), "r0");
    EXPECT_EQ(model.cell(1, 0), "r1");
    EXPECT_EQ(model.cell(2, 0), std::string(300, 'L'));
    EXPECT_EQ(model.cell(2, 1), "long");
    EXPECT_EQ(model.cell(3, 1), "2");
    EXPECT_EQ(model.cell(4, 0), "r3");
    EXPECT_FALSE(model.cell(4, 1).has_value());
    EXPECT_EQ(model.cell(1, 0)->size(), 2u);
    EXPECT_FALSE(model.cell(5, 0).has_value());
    EXPECT_FALSE(model.cell(-1, 0).has_value());

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 2);
    model.appendRows({{"again"}});
    EXPECT_EQ(model.cell(0, 0), "again");
}

class ReportListEngineTest : public ::testing::Test {
protected:
    test::RecordingHandler handler;
    QtDialog dialog{test::testDialogResource(), handler, nullptr};
    QTableView* list() const { return qobject_cast<QTableView*>(dialog.control(test::kList)); }
};

TEST_F(ReportListEngineTest, ALargeBatchListsEveryRowInOrderAndReadsBackItsCells)
{
    dialog.listSetGridAndFullRow(test::kList);
    dialog.listSetColumns(test::kList, {{"Product", 80}, {"Category", 40}, {"Price", 30}});
    Rows rows;
    for (int i = 0; i < 5000; ++i)
        rows.push_back({"Product " + std::to_string(i), "Category " + std::to_string(i % 12), "$19.95"});
    rows[17] = {"Caf\xE9 " + std::string(200, 'x'), "", "Library"};
    dialog.listAppendRows(test::kList, rows);
    dialog.listAppendRows(test::kList, {{"Last", "Z"}});
    ASSERT_EQ(dialog.listRowCount(test::kList), 5001);
    EXPECT_EQ(list()->model()->rowCount(), 5001);
    for (int i : {0, 1, 16, 18, 4999}) {
        EXPECT_EQ(dialog.listCell(test::kList, i, 0), "Product " + std::to_string(i));
        EXPECT_EQ(dialog.listCell(test::kList, i, 1), "Category " + std::to_string(i % 12));
        EXPECT_EQ(dialog.listCell(test::kList, i, 2), "$19.95");
    }
    EXPECT_EQ(dialog.listCell(test::kList, 17, 0), "Caf\xE9 " + std::string(200, 'x'));
    EXPECT_EQ(dialog.listCell(test::kList, 17, 1), "");
    EXPECT_EQ(list()->model()->index(17, 0).data().toString(), QString::fromUtf8("Caf\u00E9 ") + QString(200, 'x'));
    EXPECT_EQ(dialog.listCell(test::kList, 5000, 0), "Last");
    EXPECT_EQ(dialog.listCell(test::kList, 5000, 2), "");
    EXPECT_EQ(list()->horizontalHeader()->sectionSize(1), 40);
    EXPECT_EQ(list()->model()->headerData(2, Qt::Horizontal).toString(), "Price");
    EXPECT_TRUE(handler.commands.empty()) << "filling is not a selection";
}

TEST_F(ReportListEngineTest, SelectionFollowsRowsThroughAppendsAndIsGoneAfterAClear)
{
    dialog.listSetColumns(test::kList, {{"Product", 80}});
    dialog.listAppendRows(test::kList, {{"a"}, {"b"}, {"c"}});
    dialog.listSelectRow(test::kList, 1);
    EXPECT_EQ(dialog.listFirstSelected(test::kList), 1);
    EXPECT_EQ(handler.commands, (std::vector<test::RecordedCommand>{{test::kList, Notify::ItemChanged, 1}}));

    // Rows appended after the selection leave it on its row.
    dialog.listAppendRows(test::kList, {{"d"}, {"e"}});
    EXPECT_EQ(dialog.listFirstSelected(test::kList), 1);
    EXPECT_EQ(list()->currentIndex().row(), 1);
    // A row inserted before it moves the selection along with its row.
    dialog.listInsertRow(test::kList, 0, {"first"});
    EXPECT_EQ(dialog.listFirstSelected(test::kList), 2);
    EXPECT_EQ(dialog.listCell(test::kList, 2, 0), "b");
    // Several rows may be selected; the first in row order is reported.
    dialog.listSelectRow(test::kList, 4);
    dialog.listSelectRow(test::kList, 0);
    EXPECT_EQ(dialog.listFirstSelected(test::kList), 0);
    EXPECT_TRUE(list()->selectionModel()->isRowSelected(2, QModelIndex()));
    EXPECT_TRUE(list()->selectionModel()->isRowSelected(4, QModelIndex()));

    handler.commands.clear();
    dialog.listClear(test::kList);
    EXPECT_EQ(dialog.listRowCount(test::kList), 0);
    EXPECT_EQ(dialog.listFirstSelected(test::kList), -1);
    EXPECT_TRUE(handler.commands.empty()) << "clearing is quiet";

    dialog.listAppendRows(test::kList, {{"x"}, {"y"}});
    EXPECT_EQ(dialog.listFirstSelected(test::kList), -1) << "a refill starts without a selection";
    dialog.listSelectRow(test::kList, 0);
    EXPECT_EQ(dialog.listFirstSelected(test::kList), 0);
    EXPECT_EQ(dialog.listCell(test::kList, 1, 0), "y");
}

}  // namespace
}  // namespace qk::ui
