#pragma once
// A real Qt window built from a DialogResource, addressed by control id.

#include "ui/dialog_resource.h"
#include "ui/dialog_units.h"
#include "ui/dialog_view.h"
#include "ui/qt_window_provider.h"

#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <string>

class QEventLoop;
class QTimer;

namespace qk::platform {
class QtExchangeWait;
}

namespace qk::ui {

class DialogWindow;

class QtDialog final : public DialogView, public QtWindowProvider {
public:
    // `owner` (may be nullptr) keeps this window above it and is what centreOver and
    // modality refer to. The handler must outlive the dialog. With an exchange wait, no
    // handler of this dialog runs while a store exchange waits (see command()).
    QtDialog(const DialogResource& resource, DialogHandler& handler, DialogView* owner,
             platform::QtExchangeWait* exchangeWait = nullptr);
    ~QtDialog() override;
    QtDialog(const QtDialog&) = delete;
    QtDialog& operator=(const QtDialog&) = delete;

    // Window
    void setTitle(const std::string& title) override;
    [[nodiscard]] std::string title() const override;
    void setIcon(int iconId) override;
    void show() override;
    int runModal() override;
    void endDialog(int result) override;
    void centreOver(DialogView* owner) override;
    void postQuit(int code) override;
    [[nodiscard]] bool anotherWindowModal() const override;

    // Any control. Enabled and visible are the control's own flags, whatever its window's.
    void setText(int id, const std::string& text) override;
    [[nodiscard]] std::string text(int id) const override;
    [[nodiscard]] bool textFitsCodePage(int id) const override;
    bool readSecretText(int id, std::size_t maxBytes, SecretText& into) const override;
    void setEnabled(int id, bool enabled) override;
    [[nodiscard]] bool isEnabled(int id) const override;
    void setVisible(int id, bool visible) override;
    [[nodiscard]] bool isVisible(int id) const override;
    void setFocus(int id) override;
    void setFont(int id, const std::string& family, int points, int weight) override;

    void setChecked(int id, bool checked) override;
    [[nodiscard]] bool isChecked(int id) const override;

    void comboClear(int id) override;
    int comboAdd(int id, const std::string& text) override;
    [[nodiscard]] int comboCount(int id) const override;
    [[nodiscard]] std::string comboText(int id, int index) const override;
    void comboSetCurrent(int id, int index) override;
    [[nodiscard]] int comboCurrent(int id) const override;

    void listSetColumns(int id, const std::vector<ListColumn>& columns) override;
    void listSetGridAndFullRow(int id) override;
    void listClear(int id) override;
    int listInsertRow(int id, int index, const std::vector<std::string>& cells) override;
    void listAppendRows(int id, const std::vector<std::vector<std::string>>& rows) override;
    [[nodiscard]] int listRowCount(int id) const override;
    [[nodiscard]] std::string listCell(int id, int row, int column) const override;
    // Adds the row to the selection and makes it the focused row, as the platform's
    // item-state call does; other selected rows stay selected.
    void listSelectRow(int id, int row) override;
    [[nodiscard]] int listFirstSelected(int id) const override;

    void progressSetRange(int id, int minimum, int maximum) override;
    void progressSetValue(int id, int value) override;
    [[nodiscard]] int progressValue(int id) const override;

    bool setPicture(int id, int x, int y, const std::string& encodedImage, double pixelRatio = 1.0) override;
    [[nodiscard]] bool hasPicture(int id) const override;

    void startTimer(int timerId, int milliseconds) override;
    void stopTimer(int timerId) override;

    [[nodiscard]] QWidget* qtWidget() const override;

    // The real widget of control `id` (nullptr for an unknown id), for tests and for
    // code inside ui/ that needs the widget itself.
    [[nodiscard]] QWidget* control(int id) const;
    [[nodiscard]] const DialogUnits& units() const { return units_; }
    [[nodiscard]] int resourceId() const { return resourceId_; }

private:
    struct Control {
        ControlKind kind;
        QWidget* widget;
        std::string text;  // the last text set, as given (Windows-1252 bytes)
        QWidget* labelled = nullptr;  // a label: the input it names for screen readers
    };

    void buildControls(const DialogResource& resource);
    void connectControl(const ControlSpec& row, const Control& control);
    void ensureInitialised();
    void command(int id, Notify code, int index);
    void closeRequested();
    void firstPaint();
    [[nodiscard]] bool exchangeWaiting() const;
    void clickDefaultButton();
    [[nodiscard]] const Control* find(int id) const;
    template <typename W>
    [[nodiscard]] W* widgetAs(int id) const;

    DialogHandler& handler_;
    platform::QtExchangeWait* exchangeWait_ = nullptr;
    int resourceId_ = 0;
    DialogUnits units_;
    QPointer<DialogWindow> window_;
    std::map<int, Control> controls_;
    std::map<int, std::unique_ptr<QTimer>> timers_;
    int defaultButton_ = -1;
    bool initialised_ = false;
    QEventLoop* modalLoop_ = nullptr;
    bool ended_ = false;
    bool quietList_ = false;  // list rebuilt by the program: no selection notices
    int endResult_ = 0;
};

template <typename W>
W* QtDialog::widgetAs(int id) const
{
    const Control* c = find(id);
    return c ? qobject_cast<W*>(c->widget) : nullptr;
}

// Saves a picture of the dialog's window as PNG; false when it cannot be written.
bool grabToPng(const QtDialog& dialog, const std::string& path);

}  // namespace qk::ui
