// Countdown and disabled seconds.
#include "message_box_fixture.h"

#include <QMouseEvent>

#include "ui/message_box.h"
#include "ui/message_box/message_box_template.h"

namespace qk::test {
namespace {

using ui::MessageBoxDialog;

TEST_F(MessageBoxFixture, CountdownPressesTheDefaultButtonWithTheMark)
{
    ui::MessageBoxParams params;
    params.countdownSeconds = 2;
    QString countingCaption;
    QStringList later;
    const int answer = run(&params, "Continue?", "Timed", ui::mb::kYesNo | 0x100, [&](MessageBoxDialog& d) {
        countingCaption = d.button(ui::kIdNo)->text();
        // The caption as the first second runs out, whenever the loop gets to it.
        auto* poll = new QTimer(&d);
        QObject::connect(poll, &QTimer::timeout, &d, [&later, &countingCaption, poll, pd = &d] {
            if (pd->button(ui::kIdNo)->text() != countingCaption) {
                later << pd->button(ui::kIdNo)->text();
                poll->stop();
            }
        });
        poll->start(5);
    });
    EXPECT_EQ(answer, static_cast<int>(ui::kIdNo | ui::mb::kCountdownMark));
    EXPECT_EQ(countingCaption, "&No = 2");
    EXPECT_EQ(later, QStringList{"&No = 1"});
}

TEST_F(MessageBoxFixture, AClickInTheBoxStopsTheCountdownAndRestoresTheCaption)
{
    ui::MessageBoxParams params;
    params.countdownSeconds = 1;
    QString restored;
    const int answer = run(&params, "Continue?", "Timed", ui::mb::kYesNo, [&](MessageBoxDialog& d) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), d.mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(d.messageLabel(), &press);
        restored = d.button(ui::kIdYes)->text();
        // Well past the count: the box must still be waiting for an answer.
        QTimer::singleShot(1600, &d, [&d] { d.button(ui::kIdNo)->click(); });
    });
    EXPECT_EQ(answer, ui::kIdNo);
    EXPECT_EQ(restored, "&Yes");
}

TEST_F(MessageBoxFixture, DisabledSecondsKeepAnswerButtonsDisabledUntilTheyRunOut)
{
    ui::MessageBoxParams params;
    params.disabledSeconds = 1;
    bool disabledAtStart = false;
    bool helpEnabledAtStart = false;
    bool escapeIgnoredWhileDisabled = false;
    QString titleWhileDisabled;
    bool enabledLater = false;
    QString titleLater;
    const int answer = run(&params, "Read this first.", "Notice", ui::mb::kIconInformation | ui::mb::kHelp,
                           [&](MessageBoxDialog& d) {
                               disabledAtStart = !d.button(ui::kIdOk)->isEnabled();
                               helpEnabledAtStart = d.button(ui::kIdHelp)->isEnabled();
                               titleWhileDisabled = d.windowTitle();
                               key(d, Qt::Key_Escape);
                               escapeIgnoredWhileDisabled = !d.isDone();
                               QTimer::singleShot(1400, &d, [&, pd = &d] {
                                   enabledLater = pd->button(ui::kIdOk)->isEnabled();
                                   titleLater = pd->windowTitle();
                                   key(*pd, Qt::Key_Escape);
                               });
                           });
    EXPECT_TRUE(disabledAtStart);
    EXPECT_TRUE(helpEnabledAtStart);
    EXPECT_TRUE(escapeIgnoredWhileDisabled);
    EXPECT_EQ(titleWhileDisabled, "Notice 1");
    EXPECT_TRUE(enabledLater);
    EXPECT_EQ(titleLater, "Notice");
    EXPECT_EQ(answer, ui::kIdOk);

    EXPECT_EQ(ui::clampTimerSeconds(999), 999);
    EXPECT_EQ(ui::clampTimerSeconds(1000), 10);
}

}  // namespace
}  // namespace qk::test
