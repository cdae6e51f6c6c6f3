#pragma once
// The few widgets the dialog engine needs beyond stock Qt: the dialog window itself,
// the owner-drawn picture frame and a check box whose text wraps.

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QPoint>
#include <QRadioButton>
#include <QWidget>

#include <functional>
#include <utility>

namespace qk::ui {

// A decoded picture and where it is drawn.
class PlacedPicture {
public:
    void set(QImage image, QPoint offset);
    void clear();
    [[nodiscard]] bool isEmpty() const { return image_.isNull(); }
    void draw(QPainter& painter) const;

private:
    QImage image_;
    QPoint offset_;
};

// The client area of a dialog: the parent of its controls, where the client-area
// picture is drawn, and what reports the first paint (it is painted whether the window
// shows it whole or in a scroll area).
class DialogClient final : public QWidget {
public:
    explicit DialogClient(QWidget* parent);
    void setFirstPaintHook(std::function<void()> hook) { firstPaint_ = std::move(hook); }
    PlacedPicture& picture() { return picture_; }
    [[nodiscard]] const PlacedPicture& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void()> firstPaint_;
    PlacedPicture picture_;
    bool painted_ = false;
};

// The top-level window of a dialog. Escape and the close box do not close it: they are
// reported, and the dialog's handler decides.
class DialogWindow final : public QWidget {
public:
    struct Hooks {
        std::function<void()> cancel;      // Escape or the close box
        std::function<void()> enter;       // Enter outside a single-line edit
        std::function<void()> firstPaint;  // after the first paint has finished
    };

    DialogWindow(QWidget* parent, Qt::WindowFlags flags);
    void setHooks(Hooks hooks);
    [[nodiscard]] DialogClient* client() const { return client_; }
    PlacedPicture& picture() { return client_->picture(); }
    [[nodiscard]] const PlacedPicture& picture() const { return client_->picture(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Hooks hooks_;
    DialogClient* client_;
};

// Owner-drawn static: shows its picture at an offset, clipped to the frame.
class PictureFrame final : public QWidget {
public:
    explicit PictureFrame(QWidget* parent);
    PlacedPicture& picture() { return picture_; }
    [[nodiscard]] const PlacedPicture& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PlacedPicture picture_;
};

// Check box and radio button that take a click anywhere in their rectangle, as the
// platform's buttons do, not only on the indicator and the text.
class DialogCheckBox : public QCheckBox {
public:
    explicit DialogCheckBox(QWidget* parent) : QCheckBox(parent) {}

protected:
    [[nodiscard]] bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

class DialogRadioButton final : public QRadioButton {
public:
    explicit DialogRadioButton(QWidget* parent) : QRadioButton(parent) {}

protected:
    [[nodiscard]] bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// Group box drawn as the platform draws it: an etched frame and its caption over the
// top line, with nothing filled, so statics placed inside match the dialog's background.
class DialogGroupBox final : public QGroupBox {
public:
    explicit DialogGroupBox(QWidget* parent) : QGroupBox(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Check box whose text wraps inside its rectangle, for the multi-line check box kind.
class WrappingCheckBox final : public DialogCheckBox {
public:
    explicit WrappingCheckBox(QWidget* parent) : DialogCheckBox(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace qk::ui
