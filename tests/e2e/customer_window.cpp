#include "e2e/customer_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QAbstractItemModel>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>

#include "ui/message_box/message_box_dialog.h"

namespace qk::test {

namespace {

constexpr int kWindowTimeoutMs = 20000;

std::string utf8(const QString& text) { return text.toStdString(); }

// A message box's text, for failure messages about it.
std::string describe(QWidget& window)
{
    auto* box = dynamic_cast<ui::MessageBoxDialog*>(&window);
    if (box == nullptr || box->messageLabel() == nullptr)
        return {};
    return " saying \"" + utf8(box->messageLabel()->text()) + "\"";
}

void closeWindow(QWidget& window)
{
    if (auto* dialog = qobject_cast<QDialog*>(&window))
        dialog->done(0);
    else
        window.close();
}

template <typename W>
W* controlAs(QWidget& window, int id)
{
    QWidget* widget = control(window, id);
    if (widget == nullptr) {
        ADD_FAILURE() << "\"" << utf8(window.windowTitle()) << "\" has no control " << id;
        return nullptr;
    }
    auto* typed = qobject_cast<W*>(widget);
    if (typed == nullptr)
        ADD_FAILURE() << "control " << id << " is a " << widget->metaObject()->className();
    return typed;
}

// The control can take the customer's input: there, shown and enabled.
bool usable(QWidget* widget, int id)
{
    if (widget == nullptr)
        return false;
    if (widget->isHidden() || !widget->isEnabled()) {
        ADD_FAILURE() << "control " << id << " is " << (widget->isHidden() ? "hidden" : "disabled");
        return false;
    }
    return true;
}

}  // namespace

ModalWindows::ModalWindows() { qApp->installEventFilter(this); }

ModalWindows::~ModalWindows()
{
    qApp->removeEventFilter(this);
    if (!expected_.empty())
        ADD_FAILURE() << "windows that never came: " << stillExpected();
}

void ModalWindows::expect(std::string title, WindowAction action)
{
    expected_.push_back({std::move(title), std::move(action)});
}

std::string ModalWindows::stillExpected() const
{
    std::string titles;
    for (const Expected& next : expected_)
        titles += (titles.empty() ? "\"" : ", \"") + next.title + "\"";
    return titles.empty() ? "none" : titles;
}

bool ModalWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow() && widget->isModal()) {
            // Played once the window's own loop runs.
            QPointer<QWidget> window(widget);
            QTimer::singleShot(0, widget, [this, window] { take(window); });
        }
    }
    return false;
}

void ModalWindows::take(const QPointer<QWidget>& window)
{
    if (!window || !window->isVisible())
        return;  // gone before its turn came
    const std::string title = utf8(window->windowTitle());
    if (expected_.empty() || expected_.front().title != title) {
        ADD_FAILURE() << "unexpected window \"" << title << "\"" << describe(*window)
                      << "; expected next: " << stillExpected();
        closeWindow(*window);
        return;
    }
    const Expected next = std::move(expected_.front());
    expected_.pop_front();
    ++running_;
    QTimer::singleShot(kWindowTimeoutMs, window, [window, title] {
        if (window && window->isVisible()) {
            ADD_FAILURE() << "window \"" << title << "\" still open after " << kWindowTimeoutMs << " ms";
            closeWindow(*window);
        }
    });
    next.action(*window);
    --running_;
    if (window && window->isVisible()) {
        ADD_FAILURE() << "window \"" << title << "\"" << describe(*window) << " was left open";
        closeWindow(*window);
    }
}

WindowAction answerBox(std::string text, int buttonId)
{
    return [text = std::move(text), buttonId](QWidget& window) {
        auto* box = dynamic_cast<ui::MessageBoxDialog*>(&window);
        ASSERT_NE(box, nullptr) << "\"" << utf8(window.windowTitle()) << "\" is no message box";
        QString expected = QString::fromStdString(text);
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        ASSERT_NE(box->messageLabel(), nullptr);
        EXPECT_EQ(utf8(box->messageLabel()->text()), utf8(expected));
        QPushButton* button = box->button(buttonId);
        ASSERT_NE(button, nullptr) << "the box has no button " << buttonId;
        ASSERT_TRUE(button->isEnabled());
        button->click();
    };
}

QWidget* control(QWidget& window, int id)
{
    // The window's own control, on its client area, never one of a dialog it owns.
    for (QWidget* found : window.findChildren<QWidget*>(QString::number(id)))
        if (found->window() == &window)
            return found;
    return nullptr;
}

std::string seen(QWidget& window, int id)
{
    QWidget* widget = control(window, id);
    if (widget == nullptr) {
        ADD_FAILURE() << "\"" << utf8(window.windowTitle()) << "\" has no control " << id;
        return {};
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        const bool rich = label->textFormat() == Qt::RichText ||
                          (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
        if (!rich)
            return utf8(label->text());
        QTextDocument document;
        document.setHtml(label->text());
        return utf8(document.toPlainText());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return utf8(button->text());
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return utf8(edit->text());
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return utf8(combo->currentText());
    if (auto* text = qobject_cast<QPlainTextEdit*>(widget))
        return utf8(text->toPlainText());
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return utf8(group->title());
    ADD_FAILURE() << "control " << id << " (" << widget->metaObject()->className() << ") shows no text";
    return {};
}

bool enabled(QWidget& window, int id)
{
    QWidget* widget = control(window, id);
    EXPECT_NE(widget, nullptr) << "no control " << id;
    return widget != nullptr && widget->isEnabled();
}

bool shownOn(QWidget& window, int id)
{
    QWidget* widget = control(window, id);
    EXPECT_NE(widget, nullptr) << "no control " << id;
    return widget != nullptr && !widget->isHidden();
}

bool checked(QWidget& window, int id)
{
    auto* button = controlAs<QAbstractButton>(window, id);
    return button != nullptr && button->isChecked();
}

int progress(QWidget& window, int id)
{
    auto* bar = controlAs<QProgressBar>(window, id);
    return bar != nullptr ? bar->value() : -1;
}

std::vector<std::vector<std::string>> rows(QWidget& window, int id)
{
    std::vector<std::vector<std::string>> cells;
    auto* list = controlAs<QTableView>(window, id);
    if (list == nullptr)
        return cells;
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        std::vector<std::string> line;
        for (int column = 0; column < model->columnCount(); ++column)
            line.push_back(utf8(model->index(row, column).data(Qt::DisplayRole).toString()));
        cells.push_back(std::move(line));
    }
    return cells;
}

std::vector<std::string> entries(QWidget& window, int id)
{
    std::vector<std::string> texts;
    if (auto* combo = controlAs<QComboBox>(window, id))
        for (int i = 0; i < combo->count(); ++i)
            texts.push_back(utf8(combo->itemText(i)));
    return texts;
}

void click(QWidget& window, int id)
{
    auto* button = controlAs<QAbstractButton>(window, id);
    if (usable(button, id))
        button->click();
}

void type(QWidget& window, int id, const std::string& text)
{
    auto* edit = controlAs<QLineEdit>(window, id);
    if (!usable(edit, id))
        return;
    edit->clear();
    QTest::keyClicks(edit, QString::fromStdString(text));
}

void choose(QWidget& window, int id, const std::string& entry)
{
    auto* combo = controlAs<QComboBox>(window, id);
    if (!usable(combo, id))
        return;
    const int index = combo->findText(QString::fromStdString(entry), Qt::MatchExactly);
    ASSERT_GE(index, 0) << "control " << id << " offers no \"" << entry << "\"";
    // What the drop-down does when the customer picks an entry from its list.
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void clickLink(QWidget& window, int id, int link)
{
    auto* label = controlAs<QLabel>(window, id);
    if (!usable(label, id))
        return;
    // What the label does when the customer clicks its link number `link`.
    emit label->linkActivated(QString::number(link));
}

void clickRow(QWidget& window, int id, const std::string& firstCell)
{
    auto* list = controlAs<QTableView>(window, id);
    if (!usable(list, id))
        return;
    const QAbstractItemModel* model = list->model();
    const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, QString::fromStdString(firstCell),
                                               1, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << "no row \"" << firstCell << "\"";
    list->scrollTo(found.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualRect(found.front()).center());
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

}  // namespace qk::test
