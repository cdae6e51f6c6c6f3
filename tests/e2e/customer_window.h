#pragma once
// A customer at the real windows of the program: finds every control by its id (its
// object name), reads what the control shows, clicks, types and chooses the way a
// customer does, and answers the modal windows the program opens, in the order a test
// expects them.

#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace qk::test {

// What the customer does in one modal window; runs inside that window's own loop.
using WindowAction = std::function<void(QWidget& window)>;

// Answers the program's modal windows in order: each modal window that shows is taken
// from the front of the queue, checked by its title and played inside its own loop. A
// window that nobody expects, one whose title differs, and one still open after its
// action fail the test and are closed, so that a wrong turn of the program cannot hang
// the test.
class ModalWindows final : public QObject {
public:
    ModalWindows();
    ~ModalWindows() override;
    ModalWindows(const ModalWindows&) = delete;
    ModalWindows& operator=(const ModalWindows&) = delete;

    void expect(std::string title, WindowAction action);
    // Every expected window has come and gone.
    [[nodiscard]] bool allMet() const { return expected_.empty() && running_ == 0; }
    // The titles of the windows that are still expected, for failure messages.
    [[nodiscard]] std::string stillExpected() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Expected {
        std::string title;
        WindowAction action;
    };

    void take(const QPointer<QWidget>& window);

    std::deque<Expected> expected_;
    std::vector<QWidget*> taken_;  // windows already played (a window shows once per run)
    int running_ = 0;
};

// A message box: checks its text (line breaks as shown) and presses the button `buttonId`
// (ui::kIdOk, ui::kIdYes, ...).
WindowAction answerBox(std::string text, int buttonId);

// ---- Controls by id ----

// The control `id` of `window` (a direct child), or nullptr.
QWidget* control(QWidget& window, int id);
// What the control shows, as UTF-8: a label's, button's or edit's text (a link's as plain
// text), a drop-down's current entry.
std::string seen(QWidget& window, int id);
bool enabled(QWidget& window, int id);
bool shownOn(QWidget& window, int id);
bool checked(QWidget& window, int id);
int progress(QWidget& window, int id);
// The cells of a list view, row by row.
std::vector<std::vector<std::string>> rows(QWidget& window, int id);
// The entries of a drop-down list.
std::vector<std::string> entries(QWidget& window, int id);

// Customer actions; each fails the test when the control is missing, hidden or disabled.
void click(QWidget& window, int id);
void type(QWidget& window, int id, const std::string& text);
void choose(QWidget& window, int id, const std::string& entry);
void clickLink(QWidget& window, int id, int link);
// A mouse click on the list row whose first cell reads `firstCell`.
void clickRow(QWidget& window, int id, const std::string& firstCell);

// Runs the event loop until `condition` holds; false after `timeoutMs`.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 10000);

}  // namespace qk::test
