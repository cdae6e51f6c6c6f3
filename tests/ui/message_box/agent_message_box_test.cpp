// Real boxes, offscreen: answers, Escape and the close box, icons and sounds, captions.
#include "message_box_fixture.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QMessageBox>

#include "ui/message_box.h"

namespace qk::test {
namespace {

using ui::MessageBoxDialog;

TEST_F(MessageBoxFixture, YesNoAnswersSixOrSevenAndIgnoresEscapeAndTheCloseBox)
{
    bool stillOpenAfterEscape = false;
    bool closeBoxOffered = true;
    QStringList shownCaptions;
    const int yes = run(nullptr, "Overwrite the file?", "Question", ui::mb::kYesNo, [&](MessageBoxDialog& d) {
        for (QPushButton* b : buttonsOf(d))
            shownCaptions << b->text();
        closeBoxOffered = d.windowFlags().testFlag(Qt::WindowCloseButtonHint);
        key(d, Qt::Key_Escape);
        QCloseEvent close;
        QApplication::sendEvent(&d, &close);
        stillOpenAfterEscape = d.isVisible() && !d.isDone();
        d.button(ui::kIdYes)->click();
    });
    EXPECT_EQ(yes, ui::kIdYes);
    EXPECT_TRUE(stillOpenAfterEscape);
    EXPECT_FALSE(closeBoxOffered);
    EXPECT_EQ(shownCaptions, (QStringList{"&Yes", "&No"}));

    EXPECT_EQ(run(nullptr, "Overwrite the file?", "Question", ui::mb::kYesNo,
                  [](MessageBoxDialog& d) { d.button(ui::kIdNo)->click(); }),
              ui::kIdNo);
    // Enter presses the default button: the second one with 0x100.
    EXPECT_EQ(run(nullptr, "Overwrite the file?", "Question", ui::mb::kYesNo | 0x100,
                  [](MessageBoxDialog& d) { key(d, Qt::Key_Return); }),
              ui::kIdNo);
    // No icon still sounds: the default sound, once per box.
    EXPECT_EQ(beeps, (std::vector<unsigned>{0, 0, 0}));
}

TEST_F(MessageBoxFixture, ExclamationOkShowsIconSoundsAndAnswersOneOnEscape)
{
    int buttons = 0;
    bool hasIcon = false;
    bool closeBoxOffered = false;
    const int answer = run(nullptr, "Please enter a valid coupon code.", "Coupon", ui::mb::kIconExclamation,
                           [&](MessageBoxDialog& d) {
                               buttons = static_cast<int>(buttonsOf(d).size());
                               auto* icon = d.findChild<QLabel*>("icon");
                               hasIcon = icon != nullptr && !icon->pixmap().isNull();
                               closeBoxOffered = d.windowFlags().testFlag(Qt::WindowCloseButtonHint);
                               key(d, Qt::Key_Escape);
                           });
    EXPECT_EQ(answer, ui::kIdOk);
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(hasIcon);
    EXPECT_TRUE(closeBoxOffered);
    EXPECT_EQ(beeps, std::vector<unsigned>{ui::mb::kIconExclamation});

    // The close box answers like Escape; 0x40000000 keeps the box silent.
    beeps.clear();
    EXPECT_EQ(run(nullptr, "Stopped.", "Stop", ui::mb::kIconStop | ui::mb::kNoSound,
                  [](MessageBoxDialog& d) { d.close(); }),
              ui::kIdOk);
    EXPECT_TRUE(beeps.empty());

    // Where there is Cancel, Escape gives Cancel.
    EXPECT_EQ(run(nullptr, "Buy as a gift?", "Gift", ui::mb::kOkCancel, [](MessageBoxDialog& d) { key(d, Qt::Key_Escape); }),
              ui::kIdCancel);

    // No icon bits: no icon.
    bool plainHasIcon = true;
    run(nullptr, "Plain.", "Plain", ui::mb::kOk, [&](MessageBoxDialog& d) {
        plainHasIcon = d.findChild<QLabel*>("icon") != nullptr;
        d.button(ui::kIdOk)->click();
    });
    EXPECT_FALSE(plainHasIcon);
}

TEST_F(MessageBoxFixture, NullCaptionShowsErrorAndTheMessageIsShownAsPlainText)
{
    QString title;
    QString message;
    run(nullptr, "Caf\xE9 & <b>bar</b>\r\nnext", nullptr, ui::mb::kOk, [&](MessageBoxDialog& d) {
        title = d.windowTitle();
        message = d.messageLabel()->text();
        d.button(ui::kIdOk)->click();
    });
    EXPECT_EQ(title, "Error");
    EXPECT_EQ(message, QString::fromUtf8("Café & <b>bar</b>\nnext"));
}

TEST_F(MessageBoxFixture, CouponQuestionShowsCustomCaptionsWideEnoughAndAnswers672)
{
    ui::MessageBoxParams params;
    params.options = ui::mbo::kFramed;
    params.useCustomCaptions = true;
    params.setCustomCaption(ui::CaptionSlot::Yes, "Auto-Lookup (Upgrades Only)");
    params.setCustomCaption(ui::CaptionSlot::No, "Enter Manually");
    const std::string text =
        "Would you like us to auto-lookup an available coupon or enter one manually?\r\n\r\n"
        "Note: Auto-Lookup applies only to upgrade discounts that are associated with a previous purchase.";
    const unsigned flags = 0x20000023;

    for (const int id : {ui::kIdYes, ui::kIdNo, ui::kIdCancel}) {
        QStringList captions;
        const int answer = run(&params, text, "Select Coupon Type", flags, [&](MessageBoxDialog& d) {
            const QFontMetrics metrics(d.font());
            for (QPushButton* b : buttonsOf(d)) {
                captions << b->text();
                EXPECT_GE(b->width(), metrics.horizontalAdvance(b->text()) + 20) << b->text().toStdString();
                EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
            }
            d.button(id)->click();
        });
        EXPECT_EQ(answer, id);
        EXPECT_EQ(captions, (QStringList{"Auto-Lookup (Upgrades Only)", "Enter Manually", "Cancel"}));
    }
    EXPECT_EQ(beeps.size(), 3u);
    EXPECT_EQ(run(&params, text, "Select Coupon Type", flags, [](MessageBoxDialog& d) { key(d, Qt::Key_Escape); }),
              ui::kIdCancel);
}

TEST_F(MessageBoxFixture, CtrlCCopiesTheBoxAsText)
{
    QApplication::clipboard()->clear();
    run(nullptr, "Delete the file?", "Confirm", ui::mb::kYesNoCancel, [](MessageBoxDialog& d) {
        key(d, Qt::Key_C, Qt::ControlModifier);
        d.button(ui::kIdCancel)->click();
    });
    EXPECT_EQ(QApplication::clipboard()->text(),
              "---------------------------\r\n"
              "Confirm\r\n"
              "---------------------------\r\n"
              "Delete the file?\r\n"
              "---------------------------\r\n"
              "Yes   No   Cancel   \r\n"
              "---------------------------\r\n");
}

TEST_F(MessageBoxFixture, HelpAndReportKeepTheBoxOpen)
{
    int reports = 0;
    ui::MessageBoxParams params;
    params.helpContext = 42;
    params.report = [&reports] { ++reports; };
    const int answer = run(&params, "Failed.", "Report", ui::mb::kOk | ui::mb::kHelp, [](MessageBoxDialog& d) {
        d.button(ui::kIdHelp)->click();
        d.button(ui::kIdReport)->click();
        d.button(ui::kIdReport)->click();
        EXPECT_FALSE(d.isDone());
        d.button(ui::kIdOk)->click();
    });
    EXPECT_EQ(answer, ui::kIdOk);
    EXPECT_EQ(reports, 2);
    ASSERT_EQ(helpOpened.size(), 1u);
    EXPECT_TRUE(helpOpened[0].first.ends_with("qk-agent.hlp"));
    EXPECT_EQ(helpOpened[0].second, 42u);
}

TEST_F(MessageBoxFixture, SystemModalStopUsesTheToolkitsOwnBox)
{
    bool toolkitBox = false;
    const int answer = runSystem("Fatal.", ui::mb::kIconStop | ui::mb::kSystemModal | ui::mb::kYesNo, [&](QDialog& d) {
        auto* box = qobject_cast<QMessageBox*>(&d);
        toolkitBox = box != nullptr;
        key(d, Qt::Key_Escape);  // no Cancel: ignored here too, so the box waits for Yes
        for (QAbstractButton* b : d.findChildren<QAbstractButton*>())
            if (b->text() == "&Yes")
                b->click();
    });
    EXPECT_TRUE(toolkitBox);
    EXPECT_EQ(answer, ui::kIdYes);

    // Exclamation (0x30) holds the 0x10 bit as well; a single OK answers Escape with 1.
    EXPECT_EQ(runSystem("Fatal.", ui::mb::kIconExclamation | ui::mb::kSystemModal,
                        [](QDialog& d) { key(d, Qt::Key_Escape); }),
              ui::kIdOk);
}

}  // namespace
}  // namespace qk::test
