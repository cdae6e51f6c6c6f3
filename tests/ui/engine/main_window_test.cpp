// The main window built from its table, offscreen, with the real fonts.
#include "recording_handler.h"
#include "support/temp_folder.h"
#include "ui/qt_dialog.h"
#include "ui/resources/main_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include <filesystem>
#include <set>
#include <vector>

namespace qk::ui {
namespace {

using namespace qk::ui::resources;

class MainWindowTest : public ::testing::Test {
protected:
    test::RecordingHandler handler;
    QtDialog dialog{mainWindowResource(), handler, nullptr};
};

// Dialog units from the font, worked out here from the metrics alone.
struct Base {
    int x, y;
};
Base baseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const double average =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
        52.0;
    return {static_cast<int>(average + 0.5), metrics.height()};
}

int px(int du, int base, int divisor)
{
    return (du * base + divisor / 2) / divisor;
}

TEST_F(MainWindowTest, FontIsTheMetricTwinAndUnitsComeFromIt)
{
    const QFont font = dialog.qtWidget()->font();
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Liberation Sans"));
    // 10 points at the screen's 96 dpi, in whole pixels as the platform makes it.
    EXPECT_EQ(font.pixelSize(), 13);
    const Base base = baseUnitsOf(font);
    EXPECT_EQ(dialog.units().baseX, base.x);
    EXPECT_EQ(dialog.units().baseY, base.y);
    // Arial 10 at 96 dpi (13 pixels): 7-8 pixels wide and 15-16 high.
    EXPECT_GE(base.x, 7);
    EXPECT_LE(base.x, 8);
    EXPECT_GE(base.y, 15);
    EXPECT_LE(base.y, 16);
    EXPECT_EQ(dialog.qtWidget()->size(), QSize(px(594, base.x, 4), px(342, base.y, 8)));
}

TEST_F(MainWindowTest, ControlsSitWhereTheTablePutsThem)
{
    const Base base = baseUnitsOf(dialog.qtWidget()->font());
    struct Row {
        int id, x, y, w, h;
    };
    for (const Row& row : {Row{kLogin, 428, 17, 50, 14}, Row{kStatusText, 343, 4, 244, 8},
                           Row{kProductList, 6, 50, 321, 286}, Row{kPictureFrame, 339, 50, 91, 50},
                           Row{kBundlePricing, 339, 116, 248, 16},
                           Row{kOwnedGroup, 338, 136, 249, 182},
                           Row{kDownloadProgress, 349, 216, 228, 10},
                           Row{kExit, 537, 322, 50, 14}}) {
        SCOPED_TRACE(row.id);
        const QWidget* widget = dialog.control(row.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), QRect(px(row.x, base.x, 4), px(row.y, base.y, 8),
                                            px(row.w, base.x, 4), px(row.h, base.y, 8)));
    }
    // A drop-down keeps its place and width; its closed height is the font's, not the
    // height of the dropped list, and it stays clear of the list below it.
    const QWidget* category = dialog.control(kCategoryBox);
    EXPECT_EQ(category->x(), px(213, base.x, 4));
    EXPECT_EQ(category->y(), px(37, base.y, 8));
    EXPECT_EQ(category->width(), px(114, base.x, 4));
    EXPECT_LT(category->geometry().bottom(), dialog.control(kProductList)->y());
}

TEST_F(MainWindowTest, EveryControlHasItsKindTextAndInitialState)
{
    // The window's own 33 controls, Update All (updates view only) and Download All (library
    // view only); a control added later does not change what these are.
    const std::vector<int> kept{1115, 1116, 1139, 1117, 1150, 1151, 1140, 1118, 1135, 1119, 1120, 1144,
                                1138, 1136, 1137, 1142, 1121, 1110, 1141, 1153, 1124, 1154, 1122, 1123,
                                1125, 1126, 1131, 1129, 1127, 1130, 1128, 1152, 1132, 1160, 1162};
    std::set<int> inTable;
    for (const ControlSpec& control : mainWindowResource().controls) {
        EXPECT_TRUE(inTable.insert(control.id).second) << "a second control " << control.id;
        EXPECT_NE(dialog.control(control.id), nullptr) << control.id;
    }
    for (const int id : kept)
        EXPECT_EQ(inTable.count(id), 1U) << id;

    EXPECT_EQ(dialog.title(), " ");
    EXPECT_TRUE(dialog.qtWidget()->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));

    EXPECT_TRUE(dialog.isEnabled(kLogin));
    EXPECT_FALSE(dialog.isEnabled(kLogout));
    EXPECT_FALSE(dialog.isEnabled(kEditAccount));
    EXPECT_FALSE(dialog.isEnabled(kCheckout));
    EXPECT_TRUE(dialog.isEnabled(kDownloadFile));
    EXPECT_FALSE(dialog.isVisible(kReadMore));
    EXPECT_FALSE(dialog.isVisible(kFileStatusWithBox));
    EXPECT_TRUE(dialog.isVisible(kFileStatus));
    EXPECT_FALSE(dialog.isVisible(kUpdateAll));
    EXPECT_FALSE(dialog.isVisible(kDownloadAll));

    EXPECT_EQ(dialog.text(kStatusText), "Please select the Login button login or to create an account.");
    EXPECT_EQ(dialog.text(kCheckout), "Checkout (0) Items");
    EXPECT_EQ(dialog.text(kReadMore), "<a>Read More...</a>");
    EXPECT_EQ(qobject_cast<QPushButton*>(dialog.control(kOpenDownloadedFile))->text(),
              QStringLiteral("Open Downloaded File"));
    EXPECT_EQ(qobject_cast<QLabel*>(dialog.control(kStatusText))->alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(qobject_cast<QLabel*>(dialog.control(kFolderPath))->frameShadow(), QFrame::Sunken);

    EXPECT_NE(qobject_cast<QTableView*>(dialog.control(kProductList)), nullptr);
    EXPECT_NE(qobject_cast<QComboBox*>(dialog.control(kFileBox)), nullptr);
    EXPECT_NE(qobject_cast<QCheckBox*>(dialog.control(kBundlePricing)), nullptr);
    EXPECT_NE(qobject_cast<QGroupBox*>(dialog.control(kOwnedGroup)), nullptr);
    EXPECT_NE(qobject_cast<QProgressBar*>(dialog.control(kDownloadProgress)), nullptr);
    EXPECT_EQ(dialog.control(9999), nullptr);
}

TEST_F(MainWindowTest, IconAndGrabbedPicture)
{
    dialog.setIcon(kAgentIcon);
    EXPECT_FALSE(dialog.qtWidget()->windowIcon().isNull());

    // The way the window looks once a product is on show: its title font and a
    // single-file product (file box hidden).
    dialog.setFont(kProductTitle, "Arial", 10, 700);
    dialog.setFont(kPriceNote, "Arial", 11, 400);
    dialog.setVisible(kFileBox, false);
    dialog.setText(kFolderPath, "/home/customer/Downloads");
    dialog.listSetGridAndFullRow(kProductList);
    dialog.listSetColumns(kProductList, {{"Product", 380}, {"Category", 98}, {"Price", 62}});
    dialog.listInsertRow(kProductList, 0, {"* Air Show Pack", "Scenery", "Library"});
    dialog.listInsertRow(kProductList, 1, {"Caf\xE9 Racer", "Aircraft", "$49.95"});
    dialog.comboAdd(kCategoryBox, "All Categories");
    dialog.comboSetCurrent(kCategoryBox, 0);
    dialog.setTitle("Varnel QK-Agent for Tovrin Simulations (Version 2.0.2.8)");
    dialog.setText(kOrderLink, "Order Number: 100234\r\nCertificate: <a>TOV-5521-AX</a>\r\n"
                               "Serial Number: <a>SN-0042-7781</a>");
    dialog.setText(kBundlePricing, "Add Air Show Pack and Scenery Deluxe Collection to your cart "
                                   "for 15% savings!");
    dialog.setText(kProductInformation,
                   "A complete air show with twelve aircraft, smoke effects and a commentary "
                   "track, for every airport in the region.");
    dialog.setVisible(kReadMore, true);

    const test::TempFolder folder;
    const std::string path = (folder / "main-window.png").string();
    ASSERT_TRUE(grabToPng(dialog, path));
    const QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), dialog.qtWidget()->size() * dialog.qtWidget()->devicePixelRatioF());
    EXPECT_FALSE(grabToPng(dialog, "/nonexistent-folder/x.png"));
}

}  // namespace
}  // namespace qk::ui
