#pragma once
// The id-addressed face of a dialog. Presenters (main window, login, cart, …) hold the
// agent's logic in terms of control ids and act only through this interface; the Qt
// engine (ui/qt_dialog.h) implements it with real widgets. All texts are Windows-1252
// bytes; conversion to the toolkit's text happens inside the engine.

#include <memory>
#include <string>
#include <vector>

#include "platform/secret_text.h"
#include "ui/dialog_resource.h"

namespace qk::ui {

// The dialog's own id for Escape and the close box.
inline constexpr int kCancelCommand = 2;
// Pseudo control id that addresses the dialog's client area (for pictures).
inline constexpr int kClientArea = 0;

enum class Notify {
    Clicked,           // push button, check box, radio button; command 2 for Escape/close box
    SelectionChanged,  // drop-down list
    ItemChanged,       // list view selection/focus changed
    LinkClicked,       // link control; `index` is the link's index (0-based)
    EditChanged,
    EnterPressed,      // Enter in an edit control
};

class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    virtual void onInit() {}
    virtual void onCommand(int controlId, Notify code, int index) = 0;
    virtual void onTimer(int /*timerId*/) {}
    virtual void onFirstPaint() {}
    // true: the window's close box ends the program. It is then delivered at once as the
    // cancel command, even while a store exchange waits, so the quit is recorded before
    // the next exchange could start; the handler only takes note there.
    [[nodiscard]] virtual bool closeEndsProgram() const { return false; }
};

struct ListColumn {
    std::string title;
    int widthPixels = 0;
};

class DialogView {
public:
    virtual ~DialogView() = default;

    // Window
    virtual void setTitle(const std::string& title) = 0;
    [[nodiscard]] virtual std::string title() const = 0;
    virtual void setIcon(int iconId) = 0;
    virtual void show() = 0;
    // Runs the dialog modally (nested event loop) until endDialog; returns its result.
    virtual int runModal() = 0;
    virtual void endDialog(int result) = 0;
    virtual void centreOver(DialogView* owner) = 0;  // nullptr: the desktop
    // Ends the application's event loop with `code` (the quit message).
    virtual void postQuit(int code) = 0;
    // true while another window (a dialog, a message box) is modal over the application.
    [[nodiscard]] virtual bool anotherWindowModal() const { return false; }

    // Any control
    virtual void setText(int id, const std::string& text) = 0;
    [[nodiscard]] virtual std::string text(int id) const = 0;
    // False when the text typed into the control holds a character that Windows-1252 has
    // no byte for (text() shows it as "?").
    [[nodiscard]] virtual bool textFitsCodePage(int id) const = 0;
    // An edit holding card data read into `into` (at most `maxBytes`), every copy made on
    // the way overwritten once it has served. False when a character typed has no
    // Windows-1252 byte (as textFitsCodePage tells).
    virtual bool readSecretText(int id, std::size_t maxBytes, SecretText& into) const
    {
        std::string copy = text(id);
        into.assign(std::string_view(copy).substr(0, maxBytes));
        wipeText(copy);
        return textFitsCodePage(id);
    }
    virtual void setEnabled(int id, bool enabled) = 0;
    [[nodiscard]] virtual bool isEnabled(int id) const = 0;
    virtual void setVisible(int id, bool visible) = 0;
    [[nodiscard]] virtual bool isVisible(int id) const = 0;
    virtual void setFocus(int id) = 0;
    virtual void setFont(int id, const std::string& family, int points, int weight) = 0;

    // Check boxes
    virtual void setChecked(int id, bool checked) = 0;
    [[nodiscard]] virtual bool isChecked(int id) const = 0;

    // Drop-down lists
    virtual void comboClear(int id) = 0;
    virtual int comboAdd(int id, const std::string& text) = 0;  // returns the new index
    [[nodiscard]] virtual int comboCount(int id) const = 0;
    [[nodiscard]] virtual std::string comboText(int id, int index) const = 0;
    virtual void comboSetCurrent(int id, int index) = 0;  // -1: none
    [[nodiscard]] virtual int comboCurrent(int id) const = 0;

    // Report list views
    virtual void listSetColumns(int id, const std::vector<ListColumn>& columns) = 0;
    virtual void listSetGridAndFullRow(int id) = 0;
    virtual void listClear(int id) = 0;
    virtual int listInsertRow(int id, int index, const std::vector<std::string>& cells) = 0;
    // Appends rows at the end in one go, as listInsertRow would one by one.
    virtual void listAppendRows(int id, const std::vector<std::vector<std::string>>& rows) = 0;
    [[nodiscard]] virtual int listRowCount(int id) const = 0;
    [[nodiscard]] virtual std::string listCell(int id, int row, int column) const = 0;
    virtual void listSelectRow(int id, int row) = 0;  // selected and focused
    [[nodiscard]] virtual int listFirstSelected(int id) const = 0;  // -1: none

    // Progress bar
    virtual void progressSetRange(int id, int minimum, int maximum) = 0;
    virtual void progressSetValue(int id, int value) = 0;
    [[nodiscard]] virtual int progressValue(int id) const = 0;

    // Pictures: decodes JPEG or PNG bytes and draws them at (x, y) of control `id`
    // (kClientArea: the dialog itself), replacing and releasing the previous picture
    // there. Empty or undecodable bytes leave that place empty and return false. A picture
    // drawn for a high-density screen gives its `pixelRatio` (2: twice the pixels in each
    // direction) and takes the same room as at 1.
    virtual bool setPicture(int id, int x, int y, const std::string& encodedImage, double pixelRatio = 1.0) = 0;
    [[nodiscard]] virtual bool hasPicture(int id) const = 0;

    // Timers: onTimer(timerId) every `milliseconds` until stopped.
    virtual void startTimer(int timerId, int milliseconds) = 0;
    virtual void stopTimer(int timerId) = 0;
};

// Builds dialogs from their resources. The handler must outlive the view.
class DialogFactory {
public:
    virtual ~DialogFactory() = default;
    virtual std::unique_ptr<DialogView> create(const DialogResource& resource,
                                               DialogHandler& handler,
                                               DialogView* owner) = 0;
};

}  // namespace qk::ui
