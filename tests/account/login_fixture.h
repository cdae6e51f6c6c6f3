#pragma once
// The pieces the login routine and the login dialog work with, on a real demo store,
// real settings files, a widget-free dialog factory and recording message box and shell.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "account/login_context.h"
#include "store/session.h"
#include "platform/ports.h"
#include "platform/settings_store.h"
#include "store/credentials.h"
#include "store/purchases.h"
#include "support/demo_store.h"
#include "support/recording_shell.h"
#include "support/scripted_message_box.h"
#include "support/refusing_port.h"
#include "support/temp_folder.h"
#include "fake_dialog.h"

namespace qk::test {

inline constexpr const char* kOwnerEmail = "pilot@tovrin.example";
inline constexpr const char* kOwnerPassword = "skylane182";

class LoginFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store.ok()) << store.error();
        session.storeReady = true;
        session.vendorId = "tovrin";
        store.clearRequests();
    }

    int purchaseRequests() const
    {
        int n = 0;
        for (const auto& request : store.requests())
            n += request.body.rfind("action=getpurchases", 0) == 0 ? 1 : 0;
        return n;
    }
    bool savedLoginPresent() const
    {
        return settings.readValue(kSettingsKey, "email").has_value() ||
               settings.readValue(kSettingsKey, "password").has_value();
    }
    // The customer types into the two edits.
    static std::function<void(FakeDialogView&)> type(const std::string& email,
                                                     const std::string& password)
    {
        return [email, password](FakeDialogView& view) {
            view.setText(1003, email);
            view.setText(1005, password);
        };
    }
    static std::function<void(FakeDialogView&)> press(int id, ui::Notify code = ui::Notify::Clicked)
    {
        return [id, code](FakeDialogView& view) { view.press(id, code); };
    }

    TempFolder folder;
    DemoStore store;
    Deployment deployment = store.deployment(folder.path() / "unused");
    SettingsStore settings{folder.path()};
    Session session;
    Purchases purchases;
    FakeDialogFactory dialogs;
    ScriptedMessageBox messages;
    RecordingShell shell;
    LoginContext context{deployment, session, purchases, settings, dialogs,
                         messages.function(), shell, nullptr, {}};
};

}  // namespace qk::test
