#pragma once
// The agent with its real main window (offscreen) on the demo store; fakes for the
// platform services.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "app/agent.h"
#include "app/main_window.h"
#include "app_fakes.h"
#include "support/demo_store.h"
#include "support/request_log.h"
#include "support/scripted_message_box.h"
#include "support/scripted_qt_dialogs.h"
#include "ui/qt_dialog.h"
#include "ui/resources/main_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>

namespace qk::test {

namespace ids = ui::resources;

// Lets the window's own timers and the event loop run until `done` holds, calling
// `meanwhile` on every turn; fails after 30 s (or `limitMs`), naming `what` still runs.
inline ::testing::AssertionResult runWindowUntil(const std::function<bool()>& done, const char* what,
                                                 const std::function<void()>& meanwhile = {},
                                                 int limitMs = 30000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs)
            return ::testing::AssertionFailure() << what << " still runs";
        if (meanwhile)
            meanwhile();
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return ::testing::AssertionSuccess();
}

// Selects the row whose product column reads `name` alone, as a click does.
inline void clickListRow(app::MainWindow& window, ui::QtDialog& dialog, const std::string& name)
{
    auto* list = qobject_cast<QAbstractItemView*>(dialog.control(ids::kProductList));
    ASSERT_NE(list, nullptr);
    for (int row = 0; row < dialog.listRowCount(ids::kProductList); ++row) {
        if (dialog.listCell(ids::kProductList, row, 0) == name) {
            list->clearSelection();
            dialog.listSelectRow(ids::kProductList, row);
            window.onCommand(ids::kProductList, ui::Notify::ItemChanged, 0);
            return;
        }
    }
    FAIL() << "no row " << name;
}

// The agent with its main window on the demo store; fakes for the platform services.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store_.ok()) << store_.error();
        agent_ = std::make_unique<app::Agent>(
            store_.deployment(), app::Services{dialogs_, box_.function(), shell_, clipboard_, folders_});
    }

    void logInAs(const std::string& email, const std::string& password)
    {
        agent_->session.email = email;
        agent_->session.password = password;
    }

    void start()
    {
        window_ = std::make_unique<app::MainWindow>(*agent_);
        window_->create();
    }

    ui::DialogView& view() { return window_->view(); }

    std::vector<std::string> categories()
    {
        std::vector<std::string> entries;
        for (int i = 0; i < view().comboCount(ids::kCategoryBox); ++i)
            entries.push_back(view().comboText(ids::kCategoryBox, i));
        return entries;
    }

    // Selects the row whose product column reads `name` alone, as a click does.
    void clickRow(const std::string& name)
    {
        auto* dialog = dynamic_cast<ui::QtDialog*>(dialogs_.real(ids::kMainWindowId));
        ASSERT_NE(dialog, nullptr);
        clickListRow(*window_, *dialog, name);
    }

    int requestsFor(const std::string& target)
    {
        return static_cast<int>(requestsMatching(store_, {.target = target}).size());
    }

    DemoStore store_;
    ScriptedMessageBox box_;
    CancellingDialogFactory dialogs_;
    RecordingShell shell_;
    FakeClipboard clipboard_;
    FakeFolderBrowser folders_;
    std::unique_ptr<app::Agent> agent_;
    std::unique_ptr<app::MainWindow> window_;
};

// The same with real dialogs that a test plays through their modal runs, logged in as the
// demo store's customer.
class ScriptedWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(store_.ok()) << store_.error(); }

    // A fresh start of the agent (the settings stay), up to the window's first paint.
    void start()
    {
        window_.reset();
        agent_ = std::make_unique<app::Agent>(
            store_.deployment(), app::Services{dialogs_, box_.function(), shell_, clipboard_, folders_});
        agent_->session.email = "pilot@tovrin.example";
        agent_->session.password = "skylane182";
        window_ = std::make_unique<app::MainWindow>(*agent_);
        window_->create();
    }

    ui::DialogView& view() { return window_->view(); }

    void clickRow(const std::string& name)
    {
        auto* dialog = dynamic_cast<ui::QtDialog*>(&view());
        ASSERT_NE(dialog, nullptr);
        clickListRow(*window_, *dialog, name);
    }

    // true when a row's product column reads `name` alone.
    bool listed(const std::string& name)
    {
        for (int row = 0; row < view().listRowCount(ids::kProductList); ++row)
            if (view().listCell(ids::kProductList, row, 0) == name)
                return true;
        return false;
    }

    void press(int id) { window_->onCommand(id, ui::Notify::Clicked, 0); }

    DemoStore store_;
    ScriptedQtDialogs dialogs_;
    ScriptedMessageBox box_;
    RecordingShell shell_;
    FakeClipboard clipboard_;
    FakeFolderBrowser folders_;
    std::unique_ptr<app::Agent> agent_;
    std::unique_ptr<app::MainWindow> window_;
};

}  // namespace qk::test
