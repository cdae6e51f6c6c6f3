#pragma once
// The running box: real widgets built from a MessageBoxTemplate, with the countdown,
// the disabled time, Escape and the close box, and Ctrl+C.

#include <functional>
#include <map>

#include <QDialog>

#include "ui/message_box/message_box_template.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace qk::ui {

struct MessageBoxActions {
    std::function<void()> report;  // "Re&port"
    std::function<void()> help;    // "&Help"
};

class MessageBoxDialog : public QDialog {
public:
    MessageBoxDialog(const MessageBoxTemplate& box, MessageBoxActions actions, QWidget* parent);
    ~MessageBoxDialog() override;

    // Places the box, starts its timers and applies the topmost/foreground flags.
    void start(QWidget* owner);

    [[nodiscard]] bool isDone() const { return done_; }
    // The pressed button's id with the check-box bit and the countdown mark as they apply.
    [[nodiscard]] int answer() const { return result_; }
    [[nodiscard]] bool checkBoxTicked() const;

    [[nodiscard]] QPushButton* button(int id) const;
    [[nodiscard]] QCheckBox* checkBox() const { return checkBox_; }
    [[nodiscard]] QLabel* messageLabel() const { return messageLabel_; }
    // Escape and the close box do something (the "Close" item is not greyed).
    [[nodiscard]] bool closeAllowed() const;

    void copyToClipboard() const;

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void press(int id, unsigned mark);
    void finish(int result);
    void countdownTick();
    void disabledTick();
    void stopCountdown();
    void setAnswerButtonsEnabled(bool enabled);

    const MessageBoxTemplate& box_;
    MessageBoxActions actions_;
    QWidget* content_ = nullptr;  // the laid-out box, whole or in a scroll area
    std::map<int, QPushButton*> buttons_;
    QCheckBox* checkBox_ = nullptr;
    QLabel* messageLabel_ = nullptr;
    QTimer* countdownTimer_ = nullptr;
    QTimer* disabledTimer_ = nullptr;
    int countdownLeft_ = 0;
    int disabledLeft_ = 0;
    int result_ = kIdCancelFallback;
    bool done_ = false;

    static constexpr int kIdCancelFallback = 2;
};

}  // namespace qk::ui
