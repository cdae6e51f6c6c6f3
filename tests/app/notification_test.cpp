// The store's notification on the first paint, and Read More..., through the real main
// window and the real notification dialog (offscreen) against the demo store.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <algorithm>

#include "app/notifications.h"
#include "app/settings.h"
#include "main_window_fixture.h"
#include "store/credentials.h"
#include "ui/resources/notification_dialog.h"

namespace qk::test {
namespace {

constexpr const char* kMarker = "tovrinnotifyid";

// What the customer saw in the dialog: its title, its text, whether the box was there.
struct Seen {
    std::string title;
    std::string text;
    bool boxShown = false;
};

// Looks at the open dialog as shown (kept as <name>.png in QK_SCREENSHOT_DIR when set):
// nothing may be cut or outside the window.
Seen lookAt(ui::QtDialog& d, const std::string& name)
{
    d.show();
    QApplication::processEvents();
    expectTextsFit(d, ids::notificationDialogResource());
    if (const char* kept = std::getenv("QK_SCREENSHOT_DIR"))
        ui::grabToPng(d, std::string(kept) + "/" + name + ".png");
    return {d.title(), d.text(ids::kNotificationText), d.isVisible(ids::kHideNotification)};
}

class NotificationTest : public ScriptedWindowTest {
protected:
    void SetUp() override
    {
        ScriptedWindowTest::SetUp();
        // The settings key as an installed agent has it: the comparison runs only then.
        SettingsStore settings(store_.deployment().settingsDir);
        ASSERT_TRUE(settings.createKey(kSettingsKey));
    }

    void startAndPaint()
    {
        start();
        window_->onFirstPaint();
    }

    [[nodiscard]] int notificationDialogs() const
    {
        return static_cast<int>(std::count(dialogs_.built.begin(), dialogs_.built.end(), ids::kNotificationDialogId));
    }

    [[nodiscard]] std::optional<std::string> marker() const { return agent_->settings.readValue(kSettingsKey, kMarker); }
};

TEST_F(NotificationTest, ShownOnceHiddenByChoiceAndBackWhenANewerOneComes)
{
    Seen seen;
    dialogs_.script(ids::kNotificationDialogId, {[&](ui::QtDialog& d) {
                                                     seen = lookAt(d, "notification");
                                                     click(d, ids::kHideNotification);
                                                     click(d, ids::kNotificationContinue);
                                                 }});
    startAndPaint();
    ASSERT_EQ(notificationDialogs(), 1);
    EXPECT_EQ(seen.title, "Tovrin Simulations Notifications");
    EXPECT_TRUE(seen.text.starts_with("Welcome to the Tovrin Simulations store!")) << seen.text;
    EXPECT_TRUE(seen.boxShown);
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "This notification will be hidden when you restart this application. New "
              "notifications from Tovrin Simulations will still appear.");
    EXPECT_EQ(box_.calls[0].caption, "Notifications");
    EXPECT_EQ(marker(), "1001");

    // A second paint asks nothing; the next start finds it hidden.
    store_.clearRequests();
    window_->onFirstPaint();
    EXPECT_TRUE(store_.requests().empty());
    startAndPaint();
    EXPECT_EQ(notificationDialogs(), 1);

    // A newer one shows again; Continue without the box keeps the old marker.
    ASSERT_TRUE(store_.control("notificationid", "1002"));
    dialogs_.script(ids::kNotificationDialogId, {[](ui::QtDialog& d) { click(d, ids::kNotificationContinue); }});
    startAndPaint();
    EXPECT_EQ(notificationDialogs(), 2);
    EXPECT_EQ(marker(), "1001");
}

TEST_F(NotificationTest, EscapeWithTheBoxCheckedHidesItLikeContinue)
{
    dialogs_.script(ids::kNotificationDialogId, {[](ui::QtDialog& d) {
                                                     click(d, ids::kHideNotification);
                                                     QTest::keyClick(d.qtWidget(), Qt::Key_Escape);
                                                 }});
    ASSERT_TRUE(store_.control("notificationid", "1234"));
    startAndPaint();
    EXPECT_EQ(notificationDialogs(), 1);
    EXPECT_EQ(marker(), "1234");
}

TEST_F(NotificationTest, OddRepliesShowNothingAndWriteNoMarker)
{
    // The identifier field alone: no text, no dialog.
    ASSERT_TRUE(store_.control("notificationtext", ""));
    startAndPaint();
    EXPECT_EQ(agent_->appState.notificationId, "1001");
    EXPECT_TRUE(agent_->appState.notificationText.empty());

    ASSERT_TRUE(store_.control("notificationtext", "Text"));
    for (const char* id : {"12a4", "x", "-5", "1.5"}) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(store_.control("notificationid", id));
        startAndPaint();
    }
    ASSERT_TRUE(store_.control("notification", "off"));
    startAndPaint();
    EXPECT_EQ(notificationDialogs(), 0);
    EXPECT_FALSE(marker());

    EXPECT_EQ(app::notificationNumber("1234"), 1234u);
    EXPECT_EQ(app::notificationNumber("18446744073709551615"), 18446744073709551615u);
    EXPECT_FALSE(app::notificationNumber("18446744073709551616"));
    EXPECT_FALSE(app::notificationNumber(""));
    EXPECT_FALSE(app::notificationNumber("12 4"));
}

TEST_F(NotificationTest, IdentifierLosesItsBlanksAndAStoredMarkerDecides)
{
    // "      1234": the field's blanks go; a marker of 1234 hides 1234 but not 1235.
    ASSERT_TRUE(store_.control("notificationid", "1234"));
    SettingsStore settings(store_.deployment().settingsDir);
    ASSERT_EQ(writeSetting(settings, "1234", kMarker), 1);
    startAndPaint();
    EXPECT_EQ(agent_->appState.notificationId, "1234");
    EXPECT_EQ(notificationDialogs(), 0);

    ASSERT_TRUE(store_.control("notificationid", "1235"));
    dialogs_.script(ids::kNotificationDialogId, {[](ui::QtDialog& d) { click(d, ids::kNotificationContinue); }});
    startAndPaint();
    EXPECT_EQ(notificationDialogs(), 1);
}

TEST_F(NotificationTest, ReadMoreShowsTheDescriptionUnderTheProductsName)
{
    ASSERT_TRUE(store_.control("notification", "off"));
    startAndPaint();
    clickRow("Bell 206 JetRanger");
    ASSERT_EQ(window_->view().text(ids::kProductTitle), "Bell 206 JetRanger");
    Seen seen;
    dialogs_.script(ids::kNotificationDialogId, {[&](ui::QtDialog& d) {
                                                     seen = lookAt(d, "read_more");
                                                     click(d, ids::kNotificationContinue);
                                                 }});
    window_->onCommand(ids::kReadMore, ui::Notify::LinkClicked, 0);
    EXPECT_EQ(seen.title, "Bell 206 JetRanger Information");
    EXPECT_EQ(seen.text, agent_->currentProduct.longDescription);
    EXPECT_GT(seen.text.size(), 2000u);
    EXPECT_FALSE(seen.boxShown);
    EXPECT_FALSE(marker());
}

}  // namespace
}  // namespace qk::test
