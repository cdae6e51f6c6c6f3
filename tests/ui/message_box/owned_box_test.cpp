// A box over a real agent window: parented and centred on it, the window blocked while
// the box is open, and the window's own timers (the download progress) still ticking.
#include "message_box_fixture.h"

#include "ui/message_box.h"
#include "ui/qt_dialog.h"

namespace qk::test {
namespace {

class CountingHandler : public ui::DialogHandler {
public:
    void onCommand(int, ui::Notify, int) override {}
    void onTimer(int timerId) override
    {
        if (timerId == 1143)
            ++ticks;
    }
    int ticks = 0;
};

ui::DialogResource mainWindowResource()
{
    ui::DialogResource resource;
    resource.id = 100;
    resource.width = 300;
    resource.height = 200;
    resource.caption = "Main";
    ui::ControlSpec progress;
    progress.id = 1001;
    progress.kind = ui::ControlKind::StaticLeft;
    progress.text = "Progress";
    progress.x = 10;
    progress.y = 10;
    progress.width = 100;
    progress.height = 10;
    resource.controls.push_back(progress);
    return resource;
}

TEST_F(MessageBoxFixture, ABoxOverAnAgentWindowBlocksItWhileItsTimerKeepsTicking)
{
    CountingHandler handler;
    ui::QtDialog mainWindow(mainWindowResource(), handler, nullptr);
    mainWindow.show();
    QWidget* mainWidget = mainWindow.qtWidget();
    mainWindow.startTimer(1143, 20);

    QWidget* parent = nullptr;
    bool ownerBlocked = false;
    QPoint boxCentre;
    int ticksWhenShown = -1;
    const int answer = run(
        nullptr, "Downloading.", "Busy", ui::mb::kIconInformation,
        [&](ui::MessageBoxDialog& d) {
            parent = d.parentWidget();
            ownerBlocked = QApplication::activeModalWidget() == &d && d.windowModality() != Qt::NonModal;
            boxCentre = d.frameGeometry().center();
            ticksWhenShown = handler.ticks;
            // Answered once the window has ticked 8 times under the open box; if it never
            // does, the fixture's watchdog ends the box and the count below fails.
            auto* poll = new QTimer(&d);
            QObject::connect(poll, &QTimer::timeout, &d, [&, poll, pd = &d] {
                if (handler.ticks - ticksWhenShown >= 8) {
                    poll->stop();
                    pd->button(ui::kIdOk)->click();
                }
            });
            poll->start(10);
        },
        &mainWindow);
    mainWindow.stopTimer(1143);

    EXPECT_EQ(answer, ui::kIdOk);
    EXPECT_EQ(parent, mainWidget);
    EXPECT_TRUE(ownerBlocked);
    EXPECT_LE((boxCentre - mainWidget->frameGeometry().center()).manhattanLength(), 4);
    EXPECT_GE(handler.ticks - ticksWhenShown, 8);
}

}  // namespace
}  // namespace qk::test
