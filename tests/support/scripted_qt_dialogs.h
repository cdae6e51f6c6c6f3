#pragma once
// Real Qt dialogs whose modal runs a test plays like a customer would: the steps given for
// a dialog run inside its own modal loop, on its real widgets (header-only; Qt tests).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/qt_dialog.h"
#include "ui/qt_dialog_factory.h"

namespace qk::test {

class ScriptedQtDialogs final : public ui::DialogFactory {
public:
    using Step = std::function<void(ui::QtDialog&)>;

    // Steps played in the next modal run of a dialog built from resource `id`; the last
    // step must end the dialog (a dialog still open 20 s later fails the test).
    void script(int id, std::vector<Step> steps) { scripts_[id].push_back(std::move(steps)); }

    std::unique_ptr<ui::DialogView> create(const ui::DialogResource& resource, ui::DialogHandler& handler,
                                           ui::DialogView* owner) override
    {
        auto view = real_.create(resource, handler, owner);
        built.push_back(resource.id);
        auto* dialog = dynamic_cast<ui::QtDialog*>(view.get());
        auto found = scripts_.find(resource.id);
        if (dialog != nullptr && found != scripts_.end() && !found->second.empty()) {
            std::vector<Step> steps = std::move(found->second.front());
            found->second.pop_front();
            QPointer<QWidget> alive(dialog->qtWidget());
            // Fires inside the modal loop that the caller starts right after building.
            QTimer::singleShot(0, dialog->qtWidget(), [dialog, steps] {
                for (const Step& step : steps)
                    step(*dialog);
            });
            QTimer::singleShot(20000, dialog->qtWidget(), [dialog, alive] {
                if (alive) {
                    ADD_FAILURE() << "a scripted dialog was left open";
                    dialog->endDialog(-99);
                }
            });
        }
        return view;
    }

    std::vector<int> built;

private:
    std::map<int, std::deque<std::vector<Step>>> scripts_;
    ui::QtDialogFactory real_;
};

// Customer actions on a real dialog.
inline void click(ui::QtDialog& dialog, int id)
{
    auto* button = qobject_cast<QAbstractButton*>(dialog.control(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

inline void type(ui::QtDialog& dialog, int id, const QString& text)
{
    auto* edit = qobject_cast<QLineEdit*>(dialog.control(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->clear();
    QTest::keyClicks(edit, text);
}

inline void choose(ui::QtDialog& dialog, int id, int index)
{
    auto* combo = qobject_cast<QComboBox*>(dialog.control(id));
    ASSERT_NE(combo, nullptr) << id;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

}  // namespace qk::test
