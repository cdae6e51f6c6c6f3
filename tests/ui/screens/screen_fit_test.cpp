// Every window on the screens customers have, from a small laptop at 125 % to a large
// screen at 200 % (CTest runs this file once per screen): each opens inside the screen's
// available area with room for its title bar, and each control can be reached, in view
// or by scrolling and Tab. Where the layout fits, the window is exactly as laid out.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "platform/text_encoding.h"
#include "ui/control_builder.h"
#include "ui/engine/all_dialogs.h"
#include "ui/engine/recording_handler.h"
#include "ui/message_box/message_box_fixture.h"
#include "ui/qt_dialog.h"
#include "ui/screen_fit/client_fit.h"
#include "ui/screen_fit/window_placement.h"

namespace {

using qk::ui::DialogResource;
using qk::ui::QtDialog;

// Qt puts a window's frame, not its client area, at the window's position. The offscreen
// platform draws a frame of a pixel or two, so the test adds the frame a window manager
// would: a title bar at least this high and thin borders.
constexpr QMargins kWindowManagerFrame{2, 24, 2, 2};

QRect availableArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// "1366x768@125": the screen as CTest names it, native pixels at a scale.
std::string screenName()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize native = screen->geometry().size() * screen->devicePixelRatio();
    return std::to_string(native.width()) + "x" + std::to_string(native.height()) + "@" +
           std::to_string(static_cast<int>(screen->devicePixelRatio() * 100 + 0.5));
}

// The screen CTest meant this run for, from the name of its screen file; empty on the
// tests' usual screen.
std::string meantScreen()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const QRegularExpressionMatch named =
        QRegularExpression(QStringLiteral("screen-(\\d+x\\d+@\\d+)\\.json")).match(platform);
    return named.hasMatch() ? named.captured(1).toStdString() : std::string();
}

void expectOnScreen(const QWidget* window)
{
    const QRect area = availableArea();
    EXPECT_TRUE(area.contains(window->frameGeometry())) << "frame leaves the screen";
    const QRect managed(window->pos(), window->size().grownBy(kWindowManagerFrame));
    EXPECT_TRUE(area.contains(managed)) << "title bar or border off the screen";
}

// The control's rectangle in the window, and the part of the window that shows it.
QRect inWindow(const QWidget* control, const QWidget* window)
{
    return QRect(control->mapTo(window, QPoint(0, 0)), control->size());
}

QRect visiblePart(const QWidget* window)
{
    if (const QScrollArea* scroll = qk::ui::clientScrollArea(window))
        return inWindow(scroll->viewport(), window);
    return window->rect();
}

void expectInView(const QWidget* control, const QWidget* window)
{
    const QRect shown = visiblePart(window);
    const QRect rect = inWindow(control, window);
    if (rect.width() <= shown.width() && rect.height() <= shown.height())
        EXPECT_TRUE(shown.contains(rect)) << control->objectName().toStdString() << " is out of view";
    else
        EXPECT_TRUE(shown.intersects(rect)) << control->objectName().toStdString() << " is out of view";
}

// Every control lies inside the client, and the client is either the whole window or
// the contents of a scroll area the window can be resized up to.
void expectLaidOutWhole(const QWidget* window, const QWidget* client, const std::vector<QWidget*>& controls)
{
    const QScrollArea* scroll = qk::ui::clientScrollArea(window);
    if (scroll == nullptr) {
        EXPECT_EQ(window->size(), client->size());
        EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "a window that fits keeps its size";
    } else {
        EXPECT_EQ(scroll->widget(), client);
        EXPECT_GE(window->maximumWidth(), client->width());
        EXPECT_GE(window->maximumHeight(), client->height());
        EXPECT_LT(window->height() * window->width(), client->height() * client->width());
    }
    for (const QWidget* control : controls)
        EXPECT_TRUE(client->rect().contains(QRect(control->mapTo(client, QPoint(0, 0)), control->size())))
            << control->objectName().toStdString() << " leaves the window";
}

// Tabs round the window: each control that takes the focus gets it in turn, and is in
// view while it has it.
void expectTabReachesEach(QWidget* window, const std::vector<QWidget*>& controls)
{
    std::set<QWidget*> wanted;
    for (QWidget* control : controls)
        if (control->isEnabled() && control->isVisibleTo(window) && (control->focusPolicy() & Qt::TabFocus))
            wanted.insert(control);
    ASSERT_FALSE(wanted.empty());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    std::set<QWidget*> reached;
    for (std::size_t press = 0; press < 2 * controls.size() + 2 && reached.size() < wanted.size(); ++press) {
        QTest::keyClick(window, Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (wanted.count(now) == 0)
            continue;
        reached.insert(now);
        expectInView(now, window);
    }
    EXPECT_EQ(reached.size(), wanted.size()) << "Tab does not reach every control";
}

std::vector<QWidget*> controlsOf(const QtDialog& dialog, const DialogResource& resource)
{
    std::vector<QWidget*> controls;
    for (const auto& row : resource.controls)
        controls.push_back(dialog.control(row.id));
    return controls;
}

// The window as the engine drew it before windows could scroll: the controls straight
// on a plain window of the layout's size.
QImage asLaidOut(const DialogResource& resource, const QtDialog& dialog)
{
    const auto toQt = [](const std::string& text) { return QString::fromStdString(qk::platform::cp1252ToUtf8(text)); };
    QWidget plain(nullptr, Qt::Window);
    plain.setFont(dialog.qtWidget()->font());
    plain.setFixedSize(dialog.units().toPixelsX(resource.width), dialog.units().toPixelsY(resource.height));
    for (const auto& row : resource.controls)
        (void)qk::ui::buildControl(row, toQt(row.text), toQt(row.hint), &plain, dialog.units());
    return plain.grab().toImage();
}

void keepGrab(const QtDialog& dialog, int resourceId)
{
    if (const char* kept = std::getenv("QK_SCREENSHOT_DIR")) {
        const auto path = std::filesystem::path(kept) /
                          ("dialog" + std::to_string(resourceId) + "-" + screenName() + ".png");
        EXPECT_TRUE(qk::ui::grabToPng(dialog, path.string()));
    }
}

TEST(ScreenFit, RunsOnTheScreenItWasMeantFor)
{
    const std::string meant = meantScreen();
    if (!meant.empty()) {
        EXPECT_EQ(screenName(), meant);
    }
}

TEST(ScreenFit, AFrameIsKeptWhereItFitsAndMovedInsideWhereItDoesNot)
{
    using qk::ui::positionInside;
    const QRect laptop(0, 27, 1093, 587);  // a top panel of 27 pixels
    // Centred and inside: kept.
    EXPECT_EQ(positionInside({200, 100}, {600, 400}, laptop), QPoint(200, 100));
    // Past the right and bottom edges, or above the panel: moved the least way in.
    EXPECT_EQ(positionInside({700, 300}, {600, 400}, laptop), QPoint(493, 214));
    EXPECT_EQ(positionInside({-40, 0}, {600, 400}, laptop), QPoint(0, 27));
    // Larger than the area: its top-left corner, title bar on screen.
    EXPECT_EQ(positionInside({-48, -14}, {1200, 687}, laptop), QPoint(0, 27));
    // Each direction on its own: too wide but not too high keeps its height.
    EXPECT_EQ(positionInside({-48, 100}, {1200, 300}, laptop), QPoint(0, 100));
}

TEST(ScreenFit, EveryDialogOpensOnScreenWithEveryControlInReach)
{
    qk::test::RecordingHandler handler;
    const DialogResource& mainTable = *qk::test::kAllDialogs[0];
    QtDialog mainWindow(mainTable, handler, nullptr);
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow.qtWidget()));

    for (const DialogResource* resource : qk::test::kAllDialogs) {
        SCOPED_TRACE(resource->id);
        std::unique_ptr<QtDialog> owned;
        if (resource != &mainTable)
            owned = std::make_unique<QtDialog>(*resource, handler, &mainWindow);
        QtDialog& dialog = owned ? *owned : mainWindow;
        QWidget* window = dialog.qtWidget();
        const std::vector<QWidget*> controls = controlsOf(dialog, *resource);
        const QWidget* client = controls.front()->parentWidget();

        if (owned != nullptr && qk::ui::clientScrollArea(window) == nullptr) {
            // Where the layout fits: the same pixels as ever (grabbed before it is shown,
            // so that neither has a focus frame).
            EXPECT_EQ(window->grab().toImage(), asLaidOut(*resource, dialog)) << "the layout changed";
        }
        if (owned != nullptr) {
            dialog.centreOver(&mainWindow);
            dialog.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        }
        expectOnScreen(window);
        expectLaidOutWhole(window, client, controls);
        expectTabReachesEach(window, controls);
        keepGrab(dialog, resource->id);
    }
}

// The rows of `image` that differ from `blank`: the ink of a text drawn over it.
std::pair<int, int> inkRows(const QImage& image, const QImage& blank)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != blank.pixel(x, y)) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
    return {first, last};
}

int inkHeight(QLabel& label, const QString& text)
{
    label.setText(QString());
    const QImage blank = label.grab().toImage();
    label.setText(text);
    const auto [first, last] = inkRows(label.grab().toImage(), blank);
    return first < 0 ? 0 : last - first + 1;
}

// The download folder box (a sunken static of one text line) shows its whole text,
// descenders included, inside its frame, at any scale.
TEST(ScreenFit, TheDownloadFolderBoxShowsItsWholeTextInsideItsFrame)
{
    qk::test::RecordingHandler handler;
    QtDialog mainWindow(*qk::test::kAllDialogs[0], handler, nullptr);
    auto* box = qobject_cast<QLabel*>(mainWindow.control(1127));
    ASSERT_NE(box, nullptr);
    const QString folder = QStringLiteral("/home/Typography jpgq/.local/share");

    // The same text drawn with room to spare, for its true height.
    QLabel free(folder, mainWindow.qtWidget());
    free.setFont(box->font());
    free.resize(box->width(), 4 * box->height());
    const int whole = inkHeight(free, folder);
    ASSERT_GT(whole, 0);

    box->setText(QString());
    const QImage blank = box->grab().toImage();
    mainWindow.setText(1127, "/home/Typography jpgq/.local/share");
    const QImage shown = box->grab().toImage();
    if (const char* kept = std::getenv("QK_SCREENSHOT_DIR"))
        shown.save(QString::fromLocal8Bit(kept) + QStringLiteral("/folder-box-%1.png").arg(QString::fromStdString(screenName())));
    const auto [first, last] = inkRows(shown, blank);
    const qreal ratio = shown.devicePixelRatio();
    const int frame = box->frameWidth();
    EXPECT_EQ(last - first + 1, whole) << "the text is cut";
    EXPECT_GE(first, static_cast<int>(frame * ratio)) << "text on the upper border";
    EXPECT_LT(last, static_cast<int>((box->height() - frame) * ratio)) << "text on the lower border";

    // Its place and width are the table's; it grows only by what the text needs.
    const QRect table = mainWindow.units().toPixels(348, 268, 229, 10);
    EXPECT_EQ(box->geometry().topLeft(), table.topLeft());
    EXPECT_EQ(box->width(), table.width());
    EXPECT_LE(box->height(), std::max(table.height(), box->fontMetrics().height() + 2 * (frame + box->margin()) + 1));
}

class ScreenFitBoxes : public qk::test::MessageBoxFixture {};

TEST_F(ScreenFitBoxes, AShortAndAVeryLongMessageOpenOnScreenWithTheirButtonsInReach)
{
    std::string longText;
    for (int line = 1; line <= 60; ++line)
        longText += "Line " + std::to_string(line) + " of a long message from the store.\r\n";
    qk::ui::MessageBoxParams farAway;
    farAway.x = 5000;
    farAway.y = 4000;

    struct Case {
        const qk::ui::MessageBoxParams* params;
        const std::string& text;
        bool fitsEveryScreen;
    };
    const std::string shortText = "Error: Could not login with the information entered.";
    for (const Case& c : {Case{nullptr, shortText, true}, Case{&farAway, shortText, true}, Case{nullptr, longText, false}}) {
        SCOPED_TRACE(c.text.size());
        int shown = 0;
        run(c.params, c.text, "Messages", qk::ui::mb::kYesNo | qk::ui::mb::kIconInformation | qk::ui::mb::kDontShowAgain,
            [&](qk::ui::MessageBoxDialog& d) {
                ++shown;
                EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
                expectOnScreen(&d);
                std::vector<QWidget*> controls{d.button(qk::ui::kIdYes), d.button(qk::ui::kIdNo), d.checkBox(),
                                               d.messageLabel()};
                const QWidget* client = d.messageLabel()->parentWidget();
                if (c.fitsEveryScreen) {
                    EXPECT_EQ(qk::ui::clientScrollArea(&d), nullptr);
                }
                expectLaidOutWhole(&d, client, controls);
                expectTabReachesEach(&d, controls);
                d.button(qk::ui::kIdNo)->click();
            });
        EXPECT_EQ(shown, 1);
    }
}

}  // namespace
