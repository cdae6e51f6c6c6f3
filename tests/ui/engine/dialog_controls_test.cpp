// Id-addressed control operations: lists, pictures, text encoding, progress, buttons.
#include "recording_handler.h"
#include "test_dialog.h"
#include "ui/qt_dialog.h"
#include "ui/store_logo.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

namespace qk::ui {
namespace {

using test::RecordedCommand;

class DialogControlsTest : public ::testing::Test {
protected:
    test::RecordingHandler handler;
    QtDialog dialog{test::testDialogResource(), handler, nullptr};
};

std::string encodedImage(const QSize& size, const QColor& colour, const char* format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

TEST_F(DialogControlsTest, ListRowsKeepInsertionOrderAndCellsRoundTrip)
{
    dialog.listSetColumns(test::kList, {{"Product", 80}, {"Category", 40}, {"Price", 30}});
    dialog.listSetGridAndFullRow(test::kList);
    auto* list = qobject_cast<QTableView*>(dialog.control(test::kList));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->columnWidth(0), 80);
    EXPECT_TRUE(list->showGrid());

    EXPECT_EQ(dialog.listInsertRow(test::kList, 0, {"Zulu", "B", "$2.00"}), 0);
    EXPECT_EQ(dialog.listInsertRow(test::kList, 1, {"Alpha", "A", "$1.00"}), 1);
    EXPECT_EQ(dialog.listInsertRow(test::kList, 99, {"Mike", "C"}), 2);  // past the end appends
    EXPECT_EQ(dialog.listInsertRow(test::kList, 0, {"First"}), 0);
    EXPECT_EQ(dialog.listInsertRow(test::kList, -1, {"Never"}), -1);
    ASSERT_EQ(dialog.listRowCount(test::kList), 4);
    EXPECT_EQ(dialog.listCell(test::kList, 0, 0), "First");
    EXPECT_EQ(dialog.listCell(test::kList, 1, 0), "Zulu");  // no sorting
    EXPECT_EQ(dialog.listCell(test::kList, 2, 2), "$1.00");
    EXPECT_EQ(dialog.listCell(test::kList, 3, 2), "");      // cell never set
    EXPECT_EQ(dialog.listCell(test::kList, 4, 0), "");      // out of range
    EXPECT_EQ(dialog.listCell(test::kList, 0, 3), "");
    EXPECT_TRUE(handler.commands.empty());                  // filling is not a selection
}

TEST_F(DialogControlsTest, AppendedRowsFollowTheRowsAlreadyThereLikeInsertedOnes)
{
    dialog.listSetColumns(test::kList, {{"Product", 80}, {"Price", 30}});
    dialog.listInsertRow(test::kList, 0, {"Kept", "$1.00"});
    dialog.listAppendRows(test::kList, {{"Caf\xE9", "$2.00"}, {"Short"}, {"Wide", "$3.00", "extra"}});
    dialog.listAppendRows(test::kList, {});
    ASSERT_EQ(dialog.listRowCount(test::kList), 4);
    EXPECT_EQ(dialog.listCell(test::kList, 0, 0), "Kept");
    EXPECT_EQ(dialog.listCell(test::kList, 1, 0), "Caf\xE9");  // Windows-1252 both ways
    EXPECT_EQ(dialog.listCell(test::kList, 2, 1), "");
    EXPECT_EQ(dialog.listCell(test::kList, 3, 1), "$3.00");
    EXPECT_EQ(dialog.listCell(test::kList, 3, 2), "");          // no column for the third cell
    EXPECT_TRUE(handler.commands.empty());
    dialog.listSelectRow(test::kList, 3);
    EXPECT_EQ(dialog.listFirstSelected(test::kList), 3);
}

TEST_F(DialogControlsTest, SelectingRowsReportsItemChanged)
{
    dialog.listSetColumns(test::kList, {{"Product", 120}});
    for (const char* name : {"a", "b", "c"})
        dialog.listInsertRow(test::kList, dialog.listRowCount(test::kList), {name});
    EXPECT_EQ(dialog.listFirstSelected(test::kList), -1);

    dialog.listSelectRow(test::kList, 2);
    EXPECT_EQ(dialog.listFirstSelected(test::kList), 2);
    EXPECT_EQ(handler.commands,
              (std::vector<RecordedCommand>{{test::kList, Notify::ItemChanged, 2}}));
    dialog.listSelectRow(test::kList, 7);  // no such row: nothing happens
    EXPECT_EQ(handler.commands.size(), 1u);

    // The user's click selects too.
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.qtWidget()));
    auto* list = qobject_cast<QTableView*>(dialog.control(test::kList));
    const QRect second = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(dialog.listFirstSelected(test::kList), 1);
    ASSERT_GE(handler.commands.size(), 2u);
    EXPECT_EQ(handler.commands.back(), (RecordedCommand{test::kList, Notify::ItemChanged, 1}));

    // Clearing the list empties it quietly.
    handler.commands.clear();
    dialog.listClear(test::kList);
    EXPECT_EQ(dialog.listRowCount(test::kList), 0);
    EXPECT_EQ(dialog.listFirstSelected(test::kList), -1);
    EXPECT_TRUE(handler.commands.empty());
    EXPECT_EQ(list->model()->columnCount(), 1);  // columns stay
}

TEST_F(DialogControlsTest, PictureIsDrawnAtItsOffsetAndGarbageLeavesThePlaceEmpty)
{
    const std::string png = encodedImage(QSize(10, 8), QColor(255, 0, 0), "PNG");
    ASSERT_TRUE(dialog.setPicture(test::kPicture, 5, 3, png));
    EXPECT_TRUE(dialog.hasPicture(test::kPicture));
    QWidget* frame = dialog.control(test::kPicture);
    QImage drawn = frame->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(6, 4), QColor(255, 0, 0));
    EXPECT_EQ(drawn.pixelColor(14, 10), QColor(255, 0, 0));
    EXPECT_NE(drawn.pixelColor(4, 4), QColor(255, 0, 0));   // left of the offset
    EXPECT_NE(drawn.pixelColor(15, 4), QColor(255, 0, 0));  // past its width

    const std::string jpeg = encodedImage(QSize(4, 4), QColor(0, 0, 255), "JPEG");
    EXPECT_TRUE(dialog.setPicture(kClientArea, 10, 4, jpeg));
    EXPECT_TRUE(dialog.hasPicture(kClientArea));

    EXPECT_FALSE(dialog.setPicture(test::kPicture, 0, 0, "<html>not found</html>"));
    EXPECT_FALSE(dialog.hasPicture(test::kPicture));
    drawn = frame->grab().toImage();
    EXPECT_NE(drawn.pixelColor(6, 4), QColor(255, 0, 0));  // the old picture is gone
    EXPECT_FALSE(dialog.setPicture(kClientArea, 10, 4, ""));
    EXPECT_FALSE(dialog.hasPicture(kClientArea));
    // Only picture frames and the client area take pictures.
    EXPECT_FALSE(dialog.setPicture(test::kLabel, 0, 0, png));
}

TEST_F(DialogControlsTest, AHighDensityPictureTakesTheRoomOfItsPixelsOverItsRatio)
{
    // Twice the pixels at ratio 2: the same 10 x 8 place as the plain picture above.
    ASSERT_TRUE(dialog.setPicture(test::kPicture, 5, 3, encodedImage(QSize(20, 16), QColor(255, 0, 0), "PNG"), 2.0));
    const QImage drawn = dialog.control(test::kPicture)->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(14, 10), QColor(255, 0, 0));
    EXPECT_NE(drawn.pixelColor(15, 4), QColor(255, 0, 0));
    EXPECT_NE(drawn.pixelColor(6, 11), QColor(255, 0, 0));
}

TEST(CheckoutLogo, DrawnForTheScreensRatioWithTheSameShapes)
{
    QImage plain, dense;
    const std::string plainPng = qk::ui::checkoutLogoPng(1.0);
    const std::string densePng = qk::ui::checkoutLogoPng(2.0);
    ASSERT_TRUE(plain.loadFromData(reinterpret_cast<const uchar*>(plainPng.data()), static_cast<int>(plainPng.size())));
    ASSERT_TRUE(dense.loadFromData(reinterpret_cast<const uchar*>(densePng.data()), static_cast<int>(densePng.size())));
    EXPECT_EQ(plain.size(), QSize(150, 34));
    EXPECT_EQ(dense.size(), QSize(300, 68));
    // The padlock's body and the transparent corner at the same places.
    EXPECT_EQ(plain.pixelColor(14, 24), dense.pixelColor(28, 48));
    EXPECT_EQ(dense.pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(plain.pixelColor(1, 1).alpha(), 0);
}

TEST_F(DialogControlsTest, Windows1252TextRoundTripsThroughEveryKind)
{
    const std::string cafe = "caf\xE9 \x80 \x93quoted\x94";
    dialog.setTitle(cafe);
    EXPECT_EQ(dialog.title(), cafe);
    EXPECT_EQ(dialog.qtWidget()->windowTitle(), QString::fromUtf8("caf\u00e9 \u20ac \u201cquoted\u201d"));
    for (int id : {test::kLabel, test::kEdit, test::kButton, test::kCheck, test::kNotes}) {
        dialog.setText(id, cafe);
        EXPECT_EQ(dialog.text(id), cafe) << id;
    }
    EXPECT_EQ(qobject_cast<QLabel*>(dialog.control(test::kLabel))->text(),
              QString::fromUtf8("caf\u00e9 \u20ac \u201cquoted\u201d"));
    dialog.comboAdd(test::kCombo, cafe);
    EXPECT_EQ(dialog.comboText(test::kCombo, 0), cafe);
    dialog.listInsertRow(test::kList, 0, {cafe});
    EXPECT_EQ(dialog.listCell(test::kList, 0, 0), cafe);

    // What the user types comes back as Windows-1252; what has no byte there becomes "?".
    qobject_cast<QLineEdit*>(dialog.control(test::kEdit))->setText(QString::fromUtf8("\u00fcber \u4e2d"));
    EXPECT_EQ(dialog.text(test::kEdit), "\xFC" "ber ?");
}

TEST_F(DialogControlsTest, LineBreaksShowAsBreaksAndTextReadsBackAsSet)
{
    const std::string text = "Line one\r\nLine two";
    dialog.setText(test::kNotes, text);
    dialog.setText(test::kLabel, text);
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(dialog.control(test::kNotes))->toPlainText(),
              QStringLiteral("Line one\nLine two"));
    EXPECT_EQ(qobject_cast<QLabel*>(dialog.control(test::kLabel))->text(),
              QStringLiteral("Line one\nLine two"));
    EXPECT_EQ(dialog.text(test::kNotes), text);
    EXPECT_EQ(dialog.text(test::kLabel), text);
    // A static never reads markup.
    dialog.setText(test::kLabel, "<b>bold</b>");
    EXPECT_EQ(qobject_cast<QLabel*>(dialog.control(test::kLabel))->textFormat(), Qt::PlainText);
}

TEST_F(DialogControlsTest, ProgressClampsToItsRange)
{
    dialog.progressSetRange(test::kProgress, 0, 100);
    dialog.progressSetValue(test::kProgress, 37);
    EXPECT_EQ(dialog.progressValue(test::kProgress), 37);
    dialog.progressSetValue(test::kProgress, 150);
    EXPECT_EQ(dialog.progressValue(test::kProgress), 100);
    dialog.progressSetValue(test::kProgress, -5);
    EXPECT_EQ(dialog.progressValue(test::kProgress), 0);
}

TEST_F(DialogControlsTest, StatesAreTheControlsOwnAndRadioButtonsUncheck)
{
    dialog.setEnabled(test::kButton, false);
    dialog.setVisible(test::kLabel, false);
    EXPECT_FALSE(dialog.isEnabled(test::kButton));
    EXPECT_TRUE(dialog.isEnabled(test::kEdit));
    EXPECT_FALSE(dialog.isVisible(test::kLabel));
    EXPECT_TRUE(dialog.isVisible(test::kEdit));  // its own flag, though the window is not shown
    // A disabled window (a message box over it) does not change its controls' own state.
    dialog.qtWidget()->setEnabled(false);
    EXPECT_TRUE(dialog.isEnabled(test::kEdit));
    dialog.qtWidget()->setEnabled(true);

    dialog.setChecked(test::kRadioA, true);
    EXPECT_TRUE(dialog.isChecked(test::kRadioA));
    dialog.setChecked(test::kRadioB, true);
    EXPECT_FALSE(dialog.isChecked(test::kRadioA));
    dialog.setChecked(test::kRadioB, false);
    EXPECT_FALSE(dialog.isChecked(test::kRadioB));

    // Unknown ids are harmless.
    dialog.setText(4242, "x");
    EXPECT_EQ(dialog.text(4242), "");
    EXPECT_FALSE(dialog.isEnabled(4242));
    EXPECT_EQ(dialog.comboAdd(4242, "x"), -1);
    EXPECT_EQ(dialog.listFirstSelected(4242), -1);
}

TEST_F(DialogControlsTest, EditHintAndLengthLimitComeFromTheResource)
{
    DialogResource resource = test::testDialogResource();
    resource.controls[0].hint = "E-mail";
    resource.controls[0].maxLength = 5;
    QtDialog limited(resource, handler, nullptr);
    auto* edit = qobject_cast<QLineEdit*>(limited.control(test::kEdit));
    EXPECT_EQ(edit->placeholderText(), QStringLiteral("E-mail"));
    limited.setFocus(test::kEdit);
    QTest::keyClicks(edit, QStringLiteral("abcdefgh"));
    EXPECT_EQ(limited.text(test::kEdit), "abcde");
    EXPECT_EQ(handler.commands.front(), (RecordedCommand{test::kEdit, Notify::EditChanged, 0}));
}

}  // namespace
}  // namespace qk::ui
