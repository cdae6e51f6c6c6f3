#pragma once
// Fakes for the platform services of the app, a dialog factory that answers every modal
// dialog with "cancel", and builders for catalog and order records.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"
#include "store/catalog.h"
#include "support/recording_shell.h"
#include "ui/dialog_view.h"
#include "ui/qt_dialog_factory.h"

namespace qk::test {

class FakeClipboard final : public platform::Clipboard {
public:
    bool setText(const std::string& text) override
    {
        if (heldByOtherProgram)
            return false;
        contents = text;
        return true;
    }
    std::string contents = "what was there before";
    bool heldByOtherProgram = false;
};

class FakeFolderBrowser final : public platform::FolderBrowser {
public:
    std::optional<std::string> browse(const std::string& title) override
    {
        titles.push_back(title);
        return choice;
    }
    std::optional<std::string> choice;
    std::vector<std::string> titles;
};

// Real Qt dialogs; every modal run other than the main window's ends at once with 0,
// as if the customer had cancelled it. Records the resource ids of modal runs.
class CancellingDialogFactory final : public ui::DialogFactory {
public:
    std::unique_ptr<ui::DialogView> create(const ui::DialogResource& resource,
                                           ui::DialogHandler& handler,
                                           ui::DialogView* owner) override;
    std::vector<int> modalRuns;
    // The real dialog last built from resource `id` (nullptr when none).
    [[nodiscard]] ui::DialogView* real(int id) const;

private:
    std::vector<std::pair<int, ui::DialogView*>> built_;
    ui::QtDialogFactory real_;
};

ProductRecord makeProduct(std::string_view id, std::string_view name, std::string_view price,
                          std::string_view categories = "Aircraft", std::string_view salePrice = "",
                          std::string_view offer = "", std::string_view cartCode = "01",
                          std::string_view hidden = "No");

// An order record of 14 "*"-separated fields.
std::string makeOrder(std::string_view id, std::string_view name, std::string_view files,
                      std::string_view fileSize = "5242880", std::string_view certificate = "CERT-1",
                      std::string_view serial = "", std::string_view price = "29.95",
                      std::string_view orderNumber = "700101");

}  // namespace qk::test
