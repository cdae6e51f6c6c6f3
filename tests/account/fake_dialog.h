#pragma once
// A dialog view without widgets for presenter tests: keeps texts and check states by
// control id, and "runs modally" by announcing the dialog and playing the customer's
// script until the presenter ends it.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/dialog_view.h"

namespace qk::test {

// What a dialog looked like when it was destroyed.
struct FakeDialogState {
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    ui::DialogView* centredOver = nullptr;
    bool wasCentred = false;
    int focused = 0;
    int result = -1;
};

class FakeDialogView : public ui::DialogView {
public:
    FakeDialogView(ui::DialogHandler& handler, std::vector<FakeDialogState>* closed)
        : handler_(handler), closed_(closed)
    {
    }
    ~FakeDialogView() override
    {
        if (closed_)
            closed_->push_back({texts_, checks_, centredOver, wasCentred, focused, result});
    }
    FakeDialogView(const FakeDialogView&) = delete;
    FakeDialogView& operator=(const FakeDialogView&) = delete;

    // Steps played by runModal, in order, after onInit; the dialog must end by the last.
    std::vector<std::function<void(FakeDialogView&)>> script;
    ui::DialogView* centredOver = nullptr;
    bool wasCentred = false;
    int focused = 0;
    bool ended = false;
    int result = -1;

    void press(int id, ui::Notify code = ui::Notify::Clicked) { handler_.onCommand(id, code, 0); }

    void setTitle(const std::string& title) override { title_ = title; }
    [[nodiscard]] std::string title() const override { return title_; }
    void setIcon(int) override {}
    void show() override {}
    int runModal() override
    {
        handler_.onInit();
        for (auto& step : script) {
            if (ended)
                break;
            step(*this);
        }
        if (!ended)
            ADD_FAILURE() << "the script ended with the dialog still open";
        return result;
    }
    void endDialog(int r) override
    {
        ended = true;
        result = r;
    }
    void centreOver(DialogView* owner) override
    {
        centredOver = owner;
        wasCentred = true;
    }
    void postQuit(int) override {}

    void setText(int id, const std::string& text) override { texts_[id] = text; }
    [[nodiscard]] std::string text(int id) const override
    {
        const auto it = texts_.find(id);
        return it == texts_.end() ? std::string() : it->second;
    }
    // Texts are set as Windows-1252 bytes already.
    [[nodiscard]] bool textFitsCodePage(int) const override { return true; }
    void setEnabled(int, bool) override {}
    [[nodiscard]] bool isEnabled(int) const override { return true; }
    void setVisible(int, bool) override {}
    [[nodiscard]] bool isVisible(int) const override { return true; }
    void setFocus(int id) override { focused = id; }
    void setFont(int, const std::string&, int, int) override {}

    void setChecked(int id, bool checked) override { checks_[id] = checked; }
    [[nodiscard]] bool isChecked(int id) const override
    {
        const auto it = checks_.find(id);
        return it != checks_.end() && it->second;
    }

    void comboClear(int) override {}
    int comboAdd(int, const std::string&) override { return 0; }
    [[nodiscard]] int comboCount(int) const override { return 0; }
    [[nodiscard]] std::string comboText(int, int) const override { return {}; }
    void comboSetCurrent(int, int) override {}
    [[nodiscard]] int comboCurrent(int) const override { return -1; }

    void listSetColumns(int, const std::vector<ui::ListColumn>&) override {}
    void listSetGridAndFullRow(int) override {}
    void listClear(int) override {}
    int listInsertRow(int, int index, const std::vector<std::string>&) override { return index; }
    void listAppendRows(int, const std::vector<std::vector<std::string>>&) override {}
    [[nodiscard]] int listRowCount(int) const override { return 0; }
    [[nodiscard]] std::string listCell(int, int, int) const override { return {}; }
    void listSelectRow(int, int) override {}
    [[nodiscard]] int listFirstSelected(int) const override { return -1; }

    void progressSetRange(int, int, int) override {}
    void progressSetValue(int, int) override {}
    [[nodiscard]] int progressValue(int) const override { return 0; }

    bool setPicture(int, int, int, const std::string&, double) override { return false; }
    [[nodiscard]] bool hasPicture(int) const override { return false; }

    void startTimer(int, int) override {}
    void stopTimer(int) override {}

private:
    ui::DialogHandler& handler_;
    std::vector<FakeDialogState>* closed_;
    std::string title_;
    std::map<int, std::string> texts_;
    std::map<int, bool> checks_;
};

// Hands out FakeDialogViews that play `script`; `closed` holds each one's final state.
class FakeDialogFactory : public ui::DialogFactory {
public:
    std::vector<std::function<void(FakeDialogView&)>> script;
    std::vector<FakeDialogState> closed;
    const ui::DialogResource* lastResource = nullptr;
    ui::DialogView* lastOwner = nullptr;
    int built = 0;

    std::unique_ptr<ui::DialogView> create(const ui::DialogResource& resource,
                                           ui::DialogHandler& handler,
                                           ui::DialogView* owner) override
    {
        auto view = std::make_unique<FakeDialogView>(handler, &closed);
        view->script = script;
        lastResource = &resource;
        lastOwner = owner;
        ++built;
        return view;
    }
};

}  // namespace qk::test
