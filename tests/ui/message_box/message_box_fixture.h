#pragma once
// Drives real boxes offscreen: each test hands an action that runs inside the box's own
// loop once it is shown, and reads the id the box returns.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/settings_store.h"
#include "support/temp_folder.h"
#include "ui/message_box/agent_message_box.h"
#include "ui/message_box/message_box_dialog.h"

namespace qk::test {

class MessageBoxFixture : public ::testing::Test {
protected:
    using Action = std::function<void(ui::MessageBoxDialog&)>;

    MessageBoxFixture()
        : settings(folder_.path()), box(&settings, "qk-agent", hooks())
    {
    }

    // Shows a box and runs `action` in its loop; the box is closed (and the test failed)
    // if it is still open after a few seconds, so a broken box cannot hang the suite.
    int run(const ui::MessageBoxParams* params, const std::string& text, const char* caption, unsigned flags,
            Action action, ui::DialogView* owner = nullptr)
    {
        action_ = std::move(action);
        return box(params, owner, text, caption, flags);
    }

    // The toolkit's own box on the system-modal path.
    int runSystem(const std::string& text, unsigned flags, std::function<void(QDialog&)> action)
    {
        systemAction_ = std::move(action);
        return box(nullptr, nullptr, text, "System", flags);
    }

    static void key(QWidget& window, int keyCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = window.focusWidget() ? window.focusWidget() : &window;
        QKeyEvent press(QEvent::KeyPress, keyCode, modifiers);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, keyCode, modifiers);
        QApplication::sendEvent(target, &release);
    }

    static std::vector<QPushButton*> buttonsOf(QDialog& dialog)
    {
        const auto found = dialog.findChildren<QPushButton*>();
        std::vector<QPushButton*> buttons(found.begin(), found.end());
        std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
        return buttons;
    }

    std::vector<unsigned> beeps;
    int boxesShown = 0;
    std::vector<std::pair<std::string, unsigned>> helpOpened;

private:
    ui::MessageBoxHooks hooks()
    {
        ui::MessageBoxHooks h;
        h.beep = [this](unsigned icon) { beeps.push_back(icon); };
        h.openHelp = [this](const std::string& file, unsigned context) { helpOpened.emplace_back(file, context); };
        h.shown = [this](QDialog& dialog) {
            ++boxesShown;
            QTimer::singleShot(8000, &dialog, [&dialog] {
                ADD_FAILURE() << "the box was still open";
                dialog.done(0);
            });
            if (auto* own = dynamic_cast<ui::MessageBoxDialog*>(&dialog)) {
                if (action_)
                    action_(*own);
            } else if (systemAction_) {
                systemAction_(dialog);
            }
        };
        return h;
    }

    TempFolder folder_;

protected:
    SettingsStore settings;
    ui::AgentMessageBox box;

private:
    Action action_;
    std::function<void(QDialog&)> systemAction_;
};

}  // namespace qk::test
