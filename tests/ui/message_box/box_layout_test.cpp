// What the customer sees: every text whole, buttons fitting their captions, nothing
// overlapping; the don't-ask check box and the answers it remembers. Set
// QK_MESSAGE_BOX_GRABS to a folder to keep a PNG of each box checked here.
#include "message_box_fixture.h"

#include <QScreen>

#include <cstdlib>

#include "ui/message_box.h"
#include "ui/message_box/remembered_answer.h"

namespace qk::test {
namespace {

using ui::MessageBoxDialog;

void expectTidy(MessageBoxDialog& d, const char* grabName)
{
    const QRect inside = d.rect();
    std::vector<std::pair<QString, QRect>> parts;
    const QFontMetrics metrics(d.font());

    QLabel* message = d.messageLabel();
    ASSERT_NE(message, nullptr);
    EXPECT_GE(message->height(), message->heightForWidth(message->width())) << "message cut";
    parts.emplace_back("message", message->geometry());
    // A right margin is left beside the text.
    EXPECT_GE(inside.right() - message->geometry().right(), 16);
    if (auto* area = d.findChild<QWidget*>("messageArea")) {
        EXPECT_TRUE(area->geometry().contains(message->geometry())) << "text spills out of the message area";
    }
    if (auto* icon = d.findChild<QLabel*>("icon"))
        parts.emplace_back("icon", icon->geometry());
    for (QPushButton* b : d.findChildren<QPushButton*>()) {
        QString shown = b->text();
        shown.remove('&');
        EXPECT_GE(b->width(), metrics.horizontalAdvance(shown) + 20) << shown.toStdString();
        EXPECT_GE(b->width(), b->sizeHint().width()) << shown.toStdString();
        EXPECT_GE(b->height(), b->sizeHint().height()) << shown.toStdString();
        parts.emplace_back(b->text(), b->geometry());
    }
    if (QCheckBox* check = d.checkBox()) {
        EXPECT_GE(check->width(), check->sizeHint().width());
        parts.emplace_back("check box", check->geometry());
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(inside.contains(parts[i].second)) << parts[i].first.toStdString() << " outside the box";
        for (std::size_t j = i + 1; j < parts.size(); ++j)
            EXPECT_FALSE(parts[i].second.intersects(parts[j].second))
                << parts[i].first.toStdString() << " overlaps " << parts[j].first.toStdString();
    }
    if (const char* folder = std::getenv("QK_MESSAGE_BOX_GRABS"))
        d.grab().save(QString::fromUtf8(folder) + "/qk-box-" + grabName + ".png");
}

TEST_F(MessageBoxFixture, EachKindOfBoxIsLaidOutWhole)
{
    run(nullptr, "There was an error initializing the download. Please try again.", "Download Error",
        ui::mb::kIconExclamation, [](MessageBoxDialog& d) {
            expectTidy(d, "ok-exclamation");
            d.button(ui::kIdOk)->click();
        });
    run(nullptr, "Are you sure you want to log out?", "Logout", ui::mb::kYesNo, [](MessageBoxDialog& d) {
        expectTidy(d, "yes-no");
        d.button(ui::kIdYes)->click();
    });

    ui::MessageBoxParams coupon;
    coupon.options = ui::mbo::kFramed;
    coupon.useCustomCaptions = true;
    coupon.setCustomCaption(ui::CaptionSlot::Yes, "Auto-Lookup (Upgrades Only)");
    coupon.setCustomCaption(ui::CaptionSlot::No, "Enter Manually");
    run(&coupon,
        "Would you like us to auto-lookup an available coupon or enter one manually?\r\n\r\n"
        "Note: Auto-Lookup applies only to upgrade discounts that are associated with a previous purchase.",
        "Select Coupon Type", 0x20000023, [](MessageBoxDialog& d) {
            expectTidy(d, "coupon");
            d.button(ui::kIdCancel)->click();
        });

    std::string longText;
    for (int i = 0; i < 12; ++i)
        longText += "Important: You are operating in Gift Mode. All items in this cart will be purchased as a gift. ";
    int textWidth = 0;
    int iconWidth = 0;
    int lineHeight = 0;
    run(nullptr, longText, "Products Purchased as Gift!", ui::mb::kIconInformation | ui::mb::kDontShowAgain,
        [&](MessageBoxDialog& d) {
            expectTidy(d, "long-wrapped");
            textWidth = d.messageLabel()->width();
            iconWidth = d.findChild<QLabel*>("icon")->width();
            lineHeight = QFontMetrics(d.font()).height();
            EXPECT_GT(d.messageLabel()->height(), 3 * lineHeight);  // it wrapped
            // The check box sits under the buttons.
            EXPECT_GT(d.checkBox()->y(), d.button(ui::kIdOk)->geometry().bottom());
            d.button(ui::kIdOk)->click();
        });
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    // Framed layout: text at most half the screen minus 10, less the icon and its gap;
    // the label has a few pixels more for rounding.
    EXPECT_LE(textWidth - 4, screenWidth / 2 - 10 - (iconWidth + 16));
    EXPECT_GT(textWidth - 4, screenWidth / 4);  // and a long text does use that room
}

TEST_F(MessageBoxFixture, ButtonsMakeRoomForTheCountAndSitRightInTheFramedLayout)
{
    ui::MessageBoxParams params;
    params.countdownSeconds = 30;
    run(&params, "Short.", "Timed", ui::mb::kOkCancel, [](MessageBoxDialog& d) {
        QPushButton* ok = d.button(ui::kIdOk);
        EXPECT_GE(ok->width(), ok->sizeHint().width()) << "the count does not fit";
        QPushButton* cancel = d.button(ui::kIdCancel);
        EXPECT_EQ(d.width() - (cancel->x() + cancel->width()), 16);
        EXPECT_EQ(cancel->x() - (ok->x() + ok->width()), 6);
        d.button(ui::kIdCancel)->click();
    });
}

TEST_F(MessageBoxFixture, ATickedCheckBoxAddsItsBitAndTheRememberedAnswerSkipsTheBox)
{
    ui::MessageBoxParams params;
    params.rememberKey = "overwrite";
    params.rememberIdent = 3;
    params.company = "Varnel Software";
    const unsigned flags = ui::mb::kYesNo | ui::mb::kDontAskAgain;

    QString checkCaption;
    const int first = run(&params, "Overwrite?", "Files", flags, [&](MessageBoxDialog& d) {
        checkCaption = d.checkBox()->text();
        d.checkBox()->setChecked(true);
        d.button(ui::kIdNo)->click();
    });
    EXPECT_EQ(checkCaption, "Don't ask me again");
    EXPECT_EQ(first, static_cast<int>(ui::kIdNo | ui::mb::kDontAskAgain));
    EXPECT_EQ(boxesShown, 1);
    EXPECT_EQ(settings.readNumber("Software\\Varnel Software\\qk-agent\\MessageBox",
                                  ui::rememberedValueName("overwrite", 3)),
              static_cast<std::uint32_t>(first));

    // Remembered: answered at once, no box.
    EXPECT_EQ(run(&params, "Overwrite?", "Files", flags, [](MessageBoxDialog& d) { d.button(ui::kIdYes)->click(); }),
              first);
    EXPECT_EQ(boxesShown, 1);

    // Without the check-box flag the remembered answer is not consulted.
    EXPECT_EQ(run(&params, "Overwrite?", "Files", ui::mb::kYesNo, [](MessageBoxDialog& d) { d.button(ui::kIdYes)->click(); }),
              ui::kIdYes);
    EXPECT_EQ(boxesShown, 2);

    // An unticked box neither adds the bit nor stores anything.
    params.rememberIdent = 4;
    EXPECT_EQ(run(&params, "Overwrite?", "Files", flags, [](MessageBoxDialog& d) { d.button(ui::kIdYes)->click(); }),
              ui::kIdYes);
    EXPECT_FALSE(settings.readNumber("Software\\Varnel Software\\qk-agent\\MessageBox",
                                     ui::rememberedValueName("overwrite", 4)));
}

TEST_F(MessageBoxFixture, NoOwnerMeansTheActiveWindowAndTheBoxIsCentredOverIt)
{
    QWidget mainWindow;
    mainWindow.setGeometry(100, 100, 600, 400);
    mainWindow.show();
    mainWindow.activateWindow();
    QApplication::setActiveWindow(&mainWindow);
    QWidget* parent = nullptr;
    QPoint centre;
    run(nullptr, "Hello.", "Owner", ui::mb::kOk, [&](MessageBoxDialog& d) {
        parent = d.parentWidget();
        centre = d.frameGeometry().center();
        d.button(ui::kIdOk)->click();
    });
    EXPECT_EQ(parent, &mainWindow);
    EXPECT_LE((centre - mainWindow.frameGeometry().center()).manhattanLength(), 4);
}

}  // namespace
}  // namespace qk::test
