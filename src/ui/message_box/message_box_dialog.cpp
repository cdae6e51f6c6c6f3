#include "ui/message_box/message_box_dialog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "platform/text_encoding.h"
#include "ui/message_box.h"
#include "ui/screen_fit/client_fit.h"
#include "ui/screen_fit/window_placement.h"

namespace qk::ui {
namespace {

QString toQt(std::string_view bytes)
{
    return QString::fromStdString(platform::cp1252ToUtf8(bytes));
}

bool isAnswerButton(int id) { return id >= 1 && id <= kIdLastCustomButton; }

}  // namespace

MessageBoxDialog::MessageBoxDialog(const MessageBoxTemplate& box, MessageBoxActions actions, QWidget* parent)
    : QDialog(parent), box_(box), actions_(std::move(actions))
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::MSWindowsFixedSizeDialogHint;
    // The close box is greyed where Escape would be ignored anyway.
    if (box_.escapeAnswer != 0)
        flags |= Qt::WindowCloseButtonHint;
    if (box_.flags & mb::kTopMost)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    build();
}

MessageBoxDialog::~MessageBoxDialog() = default;

void MessageBoxDialog::build()
{
    setFont(box_.font);
    setWindowTitle(toQt(box_.caption));
    content_ = new QWidget(this);
    content_->resize(box_.size);

    if (box_.framed) {
        // The message area in the window colour over a button bar in the button-face colour.
        QPalette dialogPalette = palette();
        dialogPalette.setColor(QPalette::Window, dialogPalette.color(QPalette::Button));
        setPalette(dialogPalette);
        setAutoFillBackground(true);

        auto* area = new QWidget(content_);
        area->setObjectName(QStringLiteral("messageArea"));
        QPalette areaPalette = area->palette();
        areaPalette.setColor(QPalette::Window, box_.backgroundColour.isValid()
                                                   ? box_.backgroundColour
                                                   : areaPalette.color(QPalette::Base));
        area->setPalette(areaPalette);
        area->setAutoFillBackground(true);
        area->setGeometry(box_.messageArea);
    } else if (box_.backgroundColour.isValid()) {
        QPalette dialogPalette = palette();
        dialogPalette.setColor(QPalette::Window, box_.backgroundColour);
        setPalette(dialogPalette);
        setAutoFillBackground(true);
    }

    for (const auto& item : box_.items) {
        switch (item->kind) {
        case ItemKind::IconStatic: {
            auto* icon = new QLabel(content_);
            icon->setObjectName(QStringLiteral("icon"));
            icon->setPixmap(box_.icon.pixmap(box_.iconSize, box_.iconSize));
            icon->setGeometry(item->geometry);
            break;
        }
        case ItemKind::Static: {
            QString shown = toQt(item->text);
            shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            messageLabel_ = new QLabel(content_);
            messageLabel_->setObjectName(QStringLiteral("message"));
            messageLabel_->setTextFormat(Qt::PlainText);
            messageLabel_->setWordWrap(true);
            messageLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            messageLabel_->setTextInteractionFlags(Qt::NoTextInteraction);
            messageLabel_->setText(shown);
            QPalette labelPalette = messageLabel_->palette();
            labelPalette.setColor(QPalette::WindowText, box_.textColour.isValid()
                                                            ? box_.textColour
                                                            : labelPalette.color(QPalette::Text));
            messageLabel_->setPalette(labelPalette);
            QRect geometry = item->geometry;
            geometry.setHeight(std::max(geometry.height(), messageLabel_->heightForWidth(geometry.width())));
            messageLabel_->setGeometry(geometry);
            break;
        }
        case ItemKind::Button: {
            auto* button = new QPushButton(toQt(item->text), content_);
            button->setAutoDefault(false);
            button->setGeometry(item->geometry);
            const int id = item->id;
            connect(button, &QPushButton::clicked, this, [this, id] {
                stopCountdown();
                press(id, 0);
            });
            buttons_[id] = button;
            break;
        }
        case ItemKind::CheckBox:
            checkBox_ = new QCheckBox(toQt(item->text), content_);
            checkBox_->setGeometry(item->geometry);
            checkBox_->setChecked(false);
            connect(checkBox_, &QCheckBox::toggled, this, [this] { stopCountdown(); });
            break;
        }
    }

    if (QPushButton* defaultButton = button(box_.defaultId)) {
        defaultButton->setDefault(true);
        defaultButton->setFocus();
    }

    // A long message on a small screen scrolls rather than run off the screen.
    fitClientArea(this, content_, clientRoomFor(this, parentWidget()));

    // A click anywhere in the box stops the countdown.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void MessageBoxDialog::start(QWidget* owner)
{
    // Where the caller puts it, or centred over the owner; either way whole on the screen.
    if (box_.x != 0 || box_.y != 0) {
        placeAt(this, QPoint(box_.x, box_.y), owner);
    } else {
        QRect over;
        if (owner != nullptr)
            over = owner->window()->frameGeometry();
        else
            over = availableAreaFor(nullptr);
        if (!over.isNull())
            placeCentred(this, over, owner);
    }

    if (box_.countdownSeconds > 0 && button(box_.defaultId) != nullptr) {
        countdownLeft_ = box_.countdownSeconds;
        button(box_.defaultId)->setText(toQt(box_.defaultCaption) + QStringLiteral(" = %1").arg(countdownLeft_));
        countdownTimer_ = new QTimer(this);
        connect(countdownTimer_, &QTimer::timeout, this, [this] { countdownTick(); });
        countdownTimer_->start(1000);
    }
    if (box_.disabledSeconds > 0) {
        disabledLeft_ = box_.disabledSeconds;
        setAnswerButtonsEnabled(false);
        setWindowTitle(toQt(box_.caption) + QStringLiteral(" %1").arg(disabledLeft_));
        disabledTimer_ = new QTimer(this);
        connect(disabledTimer_, &QTimer::timeout, this, [this] { disabledTick(); });
        disabledTimer_->start(1000);
    }
    if (box_.flags & mb::kSetForeground) {
        raise();
        activateWindow();
    }
}

QPushButton* MessageBoxDialog::button(int id) const
{
    const auto found = buttons_.find(id);
    return found == buttons_.end() ? nullptr : found->second;
}

bool MessageBoxDialog::checkBoxTicked() const { return checkBox_ != nullptr && checkBox_->isChecked(); }

bool MessageBoxDialog::closeAllowed() const { return box_.escapeAnswer != 0 && disabledLeft_ == 0; }

void MessageBoxDialog::copyToClipboard() const
{
    const std::string text = clipboardText(box_.caption, box_.message, box_.buttons);
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(toQt(text));
}

void MessageBoxDialog::press(int id, unsigned mark)
{
    if (id == kIdHelp) {
        if (actions_.help)
            actions_.help();
        return;
    }
    if (id == kIdReport) {
        if (actions_.report)
            actions_.report();
        return;
    }
    unsigned result = static_cast<unsigned>(id) | mark;
    if (checkBoxTicked())
        result |= box_.checkBox.bit;
    finish(static_cast<int>(result));
}

void MessageBoxDialog::finish(int result)
{
    if (done_)
        return;
    result_ = result;
    done_ = true;
    if (countdownTimer_)
        countdownTimer_->stop();
    if (disabledTimer_)
        disabledTimer_->stop();
    QDialog::done(QDialog::Accepted);
}

void MessageBoxDialog::countdownTick()
{
    --countdownLeft_;
    if (countdownLeft_ > 0) {
        if (QPushButton* b = button(box_.defaultId))
            b->setText(toQt(box_.defaultCaption) + QStringLiteral(" = %1").arg(countdownLeft_));
        return;
    }
    stopCountdown();
    press(box_.defaultId, mb::kCountdownMark);
}

void MessageBoxDialog::stopCountdown()
{
    if (countdownTimer_ == nullptr || !countdownTimer_->isActive())
        return;
    countdownTimer_->stop();
    countdownLeft_ = 0;
    if (QPushButton* b = button(box_.defaultId))
        b->setText(toQt(box_.defaultCaption));
}

void MessageBoxDialog::disabledTick()
{
    --disabledLeft_;
    if (disabledLeft_ > 0) {
        setWindowTitle(toQt(box_.caption) + QStringLiteral(" %1").arg(disabledLeft_));
        return;
    }
    disabledLeft_ = 0;
    disabledTimer_->stop();
    setAnswerButtonsEnabled(true);
    setWindowTitle(toQt(box_.caption));
    if (QPushButton* defaultButton = button(box_.defaultId))
        defaultButton->setFocus();
}

void MessageBoxDialog::setAnswerButtonsEnabled(bool enabled)
{
    for (auto& [id, b] : buttons_)
        if (isAnswerButton(id))
            b->setEnabled(enabled);
}

void MessageBoxDialog::reject()
{
    if (!closeAllowed())
        return;
    stopCountdown();
    press(box_.escapeAnswer, 0);
}

void MessageBoxDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (!done_)
        reject();
}

void MessageBoxDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copyToClipboard();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool MessageBoxDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress)
        stopCountdown();
    return QDialog::eventFilter(watched, event);
}

}  // namespace qk::ui
