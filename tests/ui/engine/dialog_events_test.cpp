// What reaches the handler: Escape and the close box, Enter, links, user choices,
// timers across modal loops, the quit message, initialisation and first paint.
#include "recording_handler.h"
#include "test_dialog.h"
#include "ui/qt_dialog.h"
#include "ui/qt_dialog_factory.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace qk::ui {
namespace {

using test::RecordedCommand;

class DialogEventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.qtWidget()));
    }

    test::RecordingHandler handler;
    QtDialog dialog{test::testDialogResource(), handler, nullptr};
};

TEST_F(DialogEventsTest, EscapeAndCloseBoxReportCancelWithoutClosing)
{
    dialog.setFocus(test::kEdit);
    QTest::keyClick(dialog.control(test::kEdit), Qt::Key_Escape);
    dialog.qtWidget()->close();
    EXPECT_EQ(handler.commands, (std::vector<RecordedCommand>{{kCancelCommand, Notify::Clicked, 0},
                                                               {kCancelCommand, Notify::Clicked, 0}}));
    EXPECT_TRUE(dialog.qtWidget()->isVisible());
}

TEST_F(DialogEventsTest, EnterGoesToTheEditThenTheFocusedButtonThenTheDefault)
{
    dialog.setFocus(test::kEdit);
    QTest::keyClick(dialog.control(test::kEdit), Qt::Key_Return);
    dialog.setFocus(test::kButton);
    QTest::keyClick(dialog.control(test::kButton), Qt::Key_Return);
    dialog.setFocus(test::kCheck);
    QTest::keyClick(dialog.control(test::kCheck), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(handler.commands, (std::vector<RecordedCommand>{{test::kEdit, Notify::EnterPressed, 0},
                                                               {test::kButton, Notify::Clicked, 0},
                                                               {test::kOk, Notify::Clicked, 0}}));
    // A disabled default button takes no Enter.
    handler.commands.clear();
    dialog.setEnabled(test::kOk, false);
    QTest::keyClick(dialog.control(test::kCheck), Qt::Key_Return);
    EXPECT_TRUE(handler.commands.empty());
}

TEST(DialogEnter, EnterInAPlainEditPressesTheDefaultButton)
{
    test::RecordingHandler handler;
    DialogResource resource = test::testDialogResource();
    resource.controls.front().takesEnter = false;
    QtDialog dialog(resource, handler, nullptr);
    dialog.show();
    dialog.setFocus(test::kEdit);
    QTest::keyClick(dialog.control(test::kEdit), Qt::Key_Return);
    EXPECT_EQ(handler.commands, (std::vector<RecordedCommand>{{test::kOk, Notify::Clicked, 0}}));
}

TEST(DialogEnter, WithoutDefaultButtonEnterIsTheOkCommand)
{
    test::RecordingHandler handler;
    QtDialog dialog(test::testDialogResource(false), handler, nullptr);
    dialog.show();
    dialog.setFocus(test::kCheck);
    QTest::keyClick(dialog.control(test::kCheck), Qt::Key_Return);
    EXPECT_EQ(handler.commands, (std::vector<RecordedCommand>{{1, Notify::Clicked, 0}}));
}

TEST_F(DialogEventsTest, LinkClickReportsWhichLink)
{
    auto* link = qobject_cast<QLabel*>(dialog.control(test::kLink));
    ASSERT_NE(link, nullptr);
    const QFontMetrics metrics(link->font());
    const int line = metrics.lineSpacing();
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(metrics.horizontalAdvance("fi"), line / 2));
    QTest::mouseClick(link, Qt::LeftButton, {},
                      QPoint(metrics.horizontalAdvance("Serial: se"), line + line / 2));
    // Plain text before the second link is not a link.
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(metrics.horizontalAdvance("Se"), line + line / 2));
    EXPECT_EQ(handler.commands, (std::vector<RecordedCommand>{{test::kLink, Notify::LinkClicked, 0},
                                                               {test::kLink, Notify::LinkClicked, 1}}));
}

TEST_F(DialogEventsTest, OnlyTheUsersComboChoiceIsReported)
{
    dialog.comboAdd(test::kCombo, "All Categories");
    dialog.comboAdd(test::kCombo, "My Library");
    dialog.comboSetCurrent(test::kCombo, 0);
    EXPECT_TRUE(handler.commands.empty());

    dialog.setFocus(test::kCombo);
    QTest::keyClick(dialog.control(test::kCombo), Qt::Key_Down);
    EXPECT_EQ(dialog.comboCurrent(test::kCombo), 1);
    EXPECT_EQ(dialog.text(test::kCombo), "My Library");
    EXPECT_EQ(handler.commands,
              (std::vector<RecordedCommand>{{test::kCombo, Notify::SelectionChanged, 1}}));
}

TEST_F(DialogEventsTest, CheckBoxClickArrivesAfterTheStateChanged)
{
    bool checkedWhenReported = false;
    handler.onCommandDo = [&](int id, Notify, int) {
        if (id == test::kCheck)
            checkedWhenReported = dialog.isChecked(test::kCheck);
    };
    QTest::mouseClick(dialog.control(test::kCheck), Qt::LeftButton);
    EXPECT_TRUE(checkedWhenReported);
    EXPECT_EQ(handler.commands, (std::vector<RecordedCommand>{{test::kCheck, Notify::Clicked, 0}}));
}

TEST_F(DialogEventsTest, InitOnceBeforeShowingAndFirstPaintOnce)
{
    EXPECT_EQ(handler.inits, 1);
    dialog.show();
    dialog.qtWidget()->repaint();
    ASSERT_TRUE(QTest::qWaitFor([&] { return handler.firstPaints >= 1; }, 10000));
    dialog.qtWidget()->repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(handler.inits, 1);
    EXPECT_EQ(handler.firstPaints, 1);
}

TEST(DialogInit, InitRunsBeforeTheWindowIsShown)
{
    test::RecordingHandler handler;
    QtDialogFactory factory;
    std::unique_ptr<DialogView> view = factory.create(test::testDialogResource(), handler, nullptr);
    bool visibleDuringInit = true;
    handler.onInitDo = [&] {
        visibleDuringInit = static_cast<QtDialog*>(view.get())->qtWidget()->isVisible();
        view->setText(test::kLabel, "set in init");
    };
    EXPECT_EQ(handler.inits, 0);
    view->show();
    EXPECT_EQ(handler.inits, 1);
    EXPECT_FALSE(visibleDuringInit);
    EXPECT_EQ(view->text(test::kLabel), "set in init");
}

TEST_F(DialogEventsTest, TimerKeepsTickingWhileAnotherDialogRunsModally)
{
    test::RecordingHandler modalHandler;
    QtDialog modal(test::testDialogResource(), modalHandler, &dialog);
    int ticksInsideModal = 0;
    handler.onTimerDo = [&](int) {
        if (++ticksInsideModal == 3)
            modal.endDialog(42);
    };
    dialog.startTimer(1143, 10);
    QTimer guard;  // ends a hung loop so the test fails instead of hanging
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { modal.endDialog(-99); });
    guard.start(5000);

    EXPECT_EQ(modal.runModal(), 42);
    EXPECT_EQ(ticksInsideModal, 3);
    EXPECT_FALSE(modal.qtWidget()->isVisible());
    EXPECT_EQ(handler.ticks, (std::vector<int>{1143, 1143, 1143}));

    // Stopped from inside its own tick, it stays stopped.
    handler.onTimerDo = [&](int id) { dialog.stopTimer(id); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return handler.ticks.size() >= 4; }, 10000));
    // A timer of the same period started after the stop: had the stop not held, the
    // dialog's timer would tick within the witness's three periods.
    int witnessTicks = 0;
    QTimer witness;
    QObject::connect(&witness, &QTimer::timeout, [&] { ++witnessTicks; });
    witness.start(10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return witnessTicks >= 3; }, 10000));
    EXPECT_EQ(handler.ticks.size(), 4u);
}

TEST(DialogPlacement, CentresOverItsOwnerOrTheScreen)
{
    test::RecordingHandler handler;
    QtDialog owner(test::testDialogResource(), handler, nullptr);
    owner.qtWidget()->move(100, 80);
    DialogResource small = test::testDialogResource();
    small.width = 100;
    small.height = 60;
    QtDialog child(small, handler, &owner);
    EXPECT_EQ(child.qtWidget()->parentWidget(), owner.qtWidget());
    child.centreOver(&owner);
    EXPECT_LE((child.qtWidget()->frameGeometry().center() - owner.qtWidget()->frameGeometry().center())
                  .manhattanLength(),
              2);
    child.centreOver(nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((child.qtWidget()->frameGeometry().center() - screen.center()).manhattanLength(), 2);
}

TEST(DialogModal, EndDialogDuringInitReturnsAtOnce)
{
    test::RecordingHandler handler;
    QtDialog dialog(test::testDialogResource(), handler, nullptr);
    handler.onInitDo = [&] { dialog.endDialog(7); };
    EXPECT_EQ(dialog.runModal(), 7);
    EXPECT_FALSE(dialog.qtWidget()->isVisible());
}

TEST(DialogQuit, QuitPostedBeforeTheMainLoopEndsIt)
{
    test::RecordingHandler handler;
    QtDialog dialog(test::testDialogResource(), handler, nullptr);
    handler.onInitDo = [&] { dialog.postQuit(5); };  // as a failed start-up does
    dialog.show();
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 5);
}

TEST(DialogQuit, QuitFromInsideAModalDialogEndsItAndThenTheMainLoop)
{
    test::RecordingHandler mainHandler;
    QtDialog mainWindow(test::testDialogResource(), mainHandler, nullptr);
    test::RecordingHandler modalHandler;
    QtDialog modal(test::testDialogResource(), modalHandler, &mainWindow);
    modalHandler.onInitDo = [&] { modal.postQuit(3); };
    int modalResult = -1;
    bool modalReturned = false;
    QTimer::singleShot(0, [&] {
        modalResult = modal.runModal();
        modalReturned = true;
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        modal.endDialog(-1);
        QCoreApplication::exit(99);
    });
    guard.start(5000);
    mainWindow.show();
    EXPECT_EQ(QCoreApplication::exec(), 3);
    EXPECT_TRUE(modalReturned);
    EXPECT_EQ(modalResult, 0);  // ended by the quit, not by endDialog
    // The event loop works again afterwards.
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ran; }, 10000));
}

}  // namespace
}  // namespace qk::ui
