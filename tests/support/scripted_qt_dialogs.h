#pragma once
// Real Qt dialogs whose modal runs a test plays like a customer would: the steps given for
// a dialog run inside its own modal loop, on its real widgets (header-only; Qt tests).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
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
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(edit, c.toLatin1());
        } else {
            // QTest knows keys for ASCII only; other characters come as the text of a key
            // event, the way an input method delivers them.
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
    }
}

inline void choose(ui::QtDialog& dialog, int id, int index)
{
    auto* combo = qobject_cast<QComboBox*>(dialog.control(id));
    ASSERT_NE(combo, nullptr) << id;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

}  // namespace qk::test

#include <QLabel>

#include "ui/dialog_resource.h"

namespace qk::test {

// Every control inside the window, and every caption whole in its control: a wrapping
// text fits its height, a button's or a check box's caption its width.
inline void expectTextsFit(ui::QtDialog& dialog, const ui::DialogResource& resource)
{
    const QRect inside = dialog.qtWidget()->rect();
    for (const ui::ControlSpec& row : resource.controls) {
        QWidget* widget = dialog.control(row.id);
        ASSERT_NE(widget, nullptr) << row.id;
        EXPECT_TRUE(inside.contains(widget->geometry())) << "control " << row.id << " leaves the window";
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->textFormat() == Qt::PlainText && label->wordWrap()) {
                EXPECT_LE(label->heightForWidth(label->width()), label->height())
                    << "control " << row.id << " cuts \"" << label->text().toStdString() << "\"";
            } else if (label->textFormat() == Qt::PlainText) {
                EXPECT_LE(label->sizeHint().width(), label->width())
                    << "control " << row.id << " cuts \"" << label->text().toStdString() << "\"";
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_LE(button->sizeHint().width(), button->width())
                << "control " << row.id << " cuts \"" << button->text().toStdString() << "\"";
        }
    }
}

}  // namespace qk::test
