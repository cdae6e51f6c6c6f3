// Every window on the screens customers have, from a small laptop at 125 % to a large
// screen at 200 % (CTest runs this file once per screen): each opens inside the screen's
// available area, title bar included, and each control can be reached, in view or by
// scrolling and Tab. Where the layout fits, the window is exactly as laid out.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "ui/engine/all_dialogs.h"
#include "ui/engine/recording_handler.h"
#include "ui/message_box/message_box_fixture.h"
#include "ui/qt_dialog.h"
#include "ui/screen_fit/client_fit.h"

namespace {

using qk::ui::DialogResource;
using qk::ui::QtDialog;

// Qt puts a window's frame, not its client area, at the window's position. The offscreen
// platform draws a frame of a pixel or two, so the test adds what a window manager draws:
// a title bar at least this high and thin borders.
constexpr QMargins kWindowManagerFrame{2, 24, 2, 2};

// "1366x768@125": native pixels at a scale, as the screen files CTest hands over are named.
std::string screenName()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize native = screen->geometry().size() * screen->devicePixelRatio();
    return std::to_string(native.width()) + "x" + std::to_string(native.height()) + "@" +
           std::to_string(static_cast<int>(screen->devicePixelRatio() * 100 + 0.5));
}

void expectOnScreen(const QWidget* window)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(window->frameGeometry())) << "frame leaves the screen";
    EXPECT_TRUE(area.contains(QRect(window->pos(), window->size().grownBy(kWindowManagerFrame))))
        << "title bar or border off the screen";
}

QRect inWindow(const QWidget* widget, const QWidget* window) { return {widget->mapTo(window, QPoint()), widget->size()}; }

// Every control inside the client; the client is the whole window or the contents of a
// scroll area the window can be resized up to. Tab then reaches each control that takes
// the focus, and shows it while it has it.
void expectEachControlInReach(QWidget* window, const QWidget* client, const std::vector<QWidget*>& controls)
{
    const QScrollArea* scroll = qk::ui::clientScrollArea(window);
    if (scroll == nullptr) {
        EXPECT_EQ(window->size(), client->size());
        EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "a window that fits keeps its size";
    } else {
        EXPECT_EQ(scroll->widget(), client);
        EXPECT_GE(window->maximumWidth(), client->width());
        EXPECT_GE(window->maximumHeight(), client->height());
    }
    std::set<QWidget*> wanted;
    for (QWidget* control : controls) {
        EXPECT_TRUE(QRect(QPoint(), client->size()).contains(inWindow(control, client)))
            << control->objectName().toStdString() << " leaves the window";
        if (control->isEnabled() && control->isVisibleTo(window) && (control->focusPolicy() & Qt::TabFocus))
            wanted.insert(control);
    }
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const QRect shown = scroll != nullptr ? inWindow(scroll->viewport(), window) : window->rect();
    std::set<QWidget*> reached;
    for (std::size_t press = 0; press < 2 * controls.size() + 2 && reached.size() < wanted.size(); ++press) {
        QTest::keyClick(window, Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        EXPECT_NE(now, scroll) << "the scroll area is a Tab stop of its own";
        if (wanted.count(now) == 0)
            continue;
        reached.insert(now);
        const QRect rect = inWindow(now, window);
        const bool fits = rect.width() <= shown.width() && rect.height() <= shown.height();
        EXPECT_TRUE(fits ? shown.contains(rect) : shown.intersects(rect)) << now->objectName().toStdString() << " out of view";
    }
    EXPECT_EQ(reached.size(), wanted.size()) << "Tab does not reach every control";
}

// Where the layout fits, the window is exactly as laid out: its client the table's size,
// straight in the window, and each control at its table place (a drop-down's closed
// height is its font's, not its table height, which holds the dropped list).
void expectAsLaidOut(const DialogResource& resource, QtDialog& dialog)
{
    const qk::ui::DialogUnits& units = dialog.units();
    QWidget* client = dialog.control(resource.controls.front().id)->parentWidget();
    EXPECT_EQ(client->parentWidget(), dialog.qtWidget()) << "no scroll area between them";
    EXPECT_EQ(client->geometry(), QRect(0, 0, units.toPixelsX(resource.width), units.toPixelsY(resource.height)));
    for (const auto& row : resource.controls) {
        const QRect table = units.toPixels(row.x, row.y, row.width, row.height);
        const QRect placed = inWindow(dialog.control(row.id), client);
        if (row.kind == qk::ui::ControlKind::DropDownList)
            EXPECT_EQ(QRect(placed.topLeft(), QSize(placed.width(), table.height())), table) << row.id;
        else
            EXPECT_EQ(placed, table) << row.id;
    }
}

TEST(ScreenFit, RunsOnTheScreenItWasMeantFor)
{
    const QRegularExpressionMatch meant = QRegularExpression(QStringLiteral("screen-(\\d+x\\d+@\\d+)\\.json"))
                                              .match(qEnvironmentVariable("QT_QPA_PLATFORM"));
    if (meant.hasMatch()) {
        EXPECT_EQ(screenName(), meant.captured(1).toStdString());
    }
}

// What a window reports once shown: its first paint, and Escape from whichever control
// has the focus, whether or not a scroll area stands between them.
void expectPaintAndEscapeReported(const qk::test::RecordingHandler& handler)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return handler.firstPaints > 0; }, 60000));
    EXPECT_EQ(handler.firstPaints, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ASSERT_FALSE(handler.commands.empty());
    EXPECT_EQ(handler.commands.back().id, qk::ui::kCancelCommand);
}

TEST(ScreenFit, EveryDialogOpensOnScreenWithEveryControlInReach)
{
    qk::test::RecordingHandler mainHandler;
    const DialogResource& mainTable = *qk::test::kAllDialogs[0];
    QtDialog mainWindow(mainTable, mainHandler, nullptr);
    if (qk::ui::clientScrollArea(mainWindow.qtWidget()) == nullptr) {
        expectAsLaidOut(mainTable, mainWindow);
    }
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow.qtWidget()));

    for (const DialogResource* resource : qk::test::kAllDialogs) {
        SCOPED_TRACE(resource->id);
        qk::test::RecordingHandler ownHandler;
        std::unique_ptr<QtDialog> owned;
        if (resource != &mainTable)
            owned = std::make_unique<QtDialog>(*resource, ownHandler, &mainWindow);
        QtDialog& dialog = owned ? *owned : mainWindow;
        std::vector<QWidget*> controls;
        for (const auto& row : resource->controls)
            controls.push_back(dialog.control(row.id));
        if (owned != nullptr) {
            if (qk::ui::clientScrollArea(dialog.qtWidget()) == nullptr) {
                expectAsLaidOut(*resource, dialog);
            }
            dialog.centreOver(&mainWindow);
            dialog.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.qtWidget()));
        }
        expectOnScreen(dialog.qtWidget());
        expectEachControlInReach(dialog.qtWidget(), controls.front()->parentWidget(), controls);
        if (const char* kept = std::getenv("QK_SCREENSHOT_DIR"))
            qk::ui::grabToPng(dialog, std::string(kept) + "/dialog" + std::to_string(resource->id) + "-" + screenName() + ".png");
        expectPaintAndEscapeReported(owned ? ownHandler : mainHandler);
    }
}

// The rows where `image` differs from `blank`: the ink of a text drawn over it.
std::pair<int, int> inkRows(const QImage& image, const QImage& blank)
{
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != blank.pixel(x, y)) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
    return {first, last};
}

std::pair<int, int> inkOf(QLabel& label, const QString& text)
{
    label.setText(QString());
    const QImage blank = label.grab().toImage();
    label.setText(text);
    return inkRows(label.grab().toImage(), blank);
}

// The download folder box (a sunken static of one text line) shows its whole text,
// descenders included, inside its frame; it keeps its place and width.
TEST(ScreenFit, TheDownloadFolderBoxShowsItsWholeTextInsideItsFrame)
{
    qk::test::RecordingHandler handler;
    QtDialog mainWindow(*qk::test::kAllDialogs[0], handler, nullptr);
    auto* box = qobject_cast<QLabel*>(mainWindow.control(1127));
    ASSERT_NE(box, nullptr);
    const QString folder = QStringLiteral("/home/Typography jpgq/.local/share");
    QLabel roomy(mainWindow.qtWidget());  // the same text with room to spare
    roomy.setFont(box->font());
    roomy.resize(box->width(), 4 * box->height());
    const auto [roomyFirst, roomyLast] = inkOf(roomy, folder);
    ASSERT_GE(roomyFirst, 0);

    const auto [first, last] = inkOf(*box, folder);
    const qreal ratio = box->devicePixelRatioF();
    EXPECT_EQ(last - first, roomyLast - roomyFirst) << "the text is cut";
    EXPECT_GE(first, static_cast<int>(box->frameWidth() * ratio)) << "text on the upper border";
    EXPECT_LT(last, static_cast<int>((box->height() - box->frameWidth()) * ratio)) << "text on the lower border";
    const QRect table = mainWindow.units().toPixels(348, 268, 229, 10);
    EXPECT_EQ(box->geometry().topLeft(), table.topLeft());
    EXPECT_EQ(box->width(), table.width());
    EXPECT_LE(box->height(), std::max(table.height(), box->fontMetrics().height() + 2 * (box->frameWidth() + box->margin())));
}

class ScreenFitBoxes : public qk::test::MessageBoxFixture {};

// A long message asked for far off the screen: on screen, scrolling where it is too tall.
TEST_F(ScreenFitBoxes, ALongMessageOpensOnScreenWithItsButtonsInReach)
{
    std::string text;
    for (int line = 1; line <= 60; ++line)
        text += "Line " + std::to_string(line) + " of a long message from the store.\r\n";
    qk::ui::MessageBoxParams farAway;
    farAway.x = 5000;
    farAway.y = 4000;
    int shown = 0;
    run(&farAway, text, "Messages", qk::ui::mb::kYesNo | qk::ui::mb::kIconInformation | qk::ui::mb::kDontShowAgain,
        [&](qk::ui::MessageBoxDialog& d) {
            ++shown;
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
            expectOnScreen(&d);
            expectEachControlInReach(&d, d.messageLabel()->parentWidget(),
                                     {d.button(qk::ui::kIdYes), d.button(qk::ui::kIdNo), d.checkBox(), d.messageLabel()});
            d.button(qk::ui::kIdNo)->click();
        });
    EXPECT_EQ(shown, 1);
}

}  // namespace
