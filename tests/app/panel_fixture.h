#pragma once
// An agent with fakes and a real (offscreen) main window, filled with catalog and order
// records built by the test; no store server: pictures fail fast on a port that refuses.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/agent.h"
#include "app/detail_panel.h"
#include "app/product_list.h"
#include "app_fakes.h"
#include "support/refusing_port.h"
#include "support/scripted_message_box.h"
#include "support/temp_folder.h"
#include "ui/resources/main_window.h"

namespace qk::test {

class IgnoringHandler final : public ui::DialogHandler {
public:
    void onCommand(int, ui::Notify, int) override {}
};

class PanelFixture : public ::testing::Test {
protected:
    PanelFixture();
    ~PanelFixture() override;

    // Puts the products into the catalog and the main window's copy.
    void setCatalog(const std::vector<ProductRecord>& products);
    // Logs the customer in with these order records.
    void logIn(const std::vector<std::string>& orders);
    void fill(std::string_view filter = "");
    // Selects the row whose product column reads `name` and shows it.
    void show(const std::string& name);
    [[nodiscard]] std::vector<std::string> column(int column) const;
    [[nodiscard]] std::vector<std::string> categories() const;

    TempFolder folder_;
    std::filesystem::path dir_ = folder_.path();
    RefusingPort refusing_;  // the store: every request fails at once
    ScriptedMessageBox box_;
    CancellingDialogFactory dialogs_;
    RecordingShell shell_;
    FakeClipboard clipboard_;
    FakeFolderBrowser folders_;
    std::unique_ptr<app::Agent> agent_;
    IgnoringHandler handler_;
    std::unique_ptr<ui::DialogView> view_;
};

}  // namespace qk::test
