#include "ui/qt_dialog.h"

#include "ui/agent_icon.h"
#include "ui/control_builder.h"
#include "ui/dialog_widgets.h"
#include "ui/screen_fit/client_fit.h"
#include "ui/screen_fit/window_placement.h"
#include "platform/qt_exchange_wait.h"
#include "platform/text_encoding.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace qk::ui {

namespace {

QString toQt(const std::string& cp1252)
{
    return QString::fromUtf8(platform::cp1252ToUtf8(cp1252));
}

std::string fromQt(const QString& text)
{
    return platform::utf8ToCp1252(text.toUtf8().toStdString());
}

QWidget* widgetOf(DialogView* view)
{
    auto* provider = dynamic_cast<QtWindowProvider*>(view);
    return provider ? provider->qtWidget() : nullptr;
}

// Fonts are made the platform's way: a whole-pixel height of points x dpi / 72, so that
// the metrics the layout rests on match the ones the windows were designed with.
QFont dialogFont(const std::string& family, int points, int weight)
{
    QFont font(toQt(family));
    font.setStyleHint(QFont::SansSerif);
    int dpi = 96;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dpi = static_cast<int>(screen->logicalDotsPerInchY() + 0.5);
    font.setPixelSize(std::max(1, mulDiv(points > 0 ? points : 10, dpi, 72)));
    if (weight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    return font;
}

}  // namespace

QtDialog::QtDialog(const DialogResource& resource, DialogHandler& handler, DialogView* owner,
                   platform::QtExchangeWait* exchangeWait)
    : handler_(handler), exchangeWait_(exchangeWait), resourceId_(resource.id)
{
    QWidget* ownerWidget = widgetOf(owner);
    Qt::WindowFlags flags = (ownerWidget ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint |
                            Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint;
    if (resource.minimizeBox)
        flags |= Qt::WindowMinimizeButtonHint;
    window_ = new DialogWindow(ownerWidget, flags);

    const QFont font = dialogFont(resource.fontFamily, resource.fontPoints, 0);
    window_->setFont(font);
    units_ = DialogUnits::fromFont(font);
    window_->client()->resize(units_.toPixelsX(resource.width), units_.toPixelsY(resource.height));
    window_->setWindowTitle(toQt(resource.caption));

    buildControls(resource);
    fitClientArea(window_, window_->client(), clientRoomFor(window_, ownerWidget));
    window_->setHooks({
        [this] { closeRequested(); },
        [this] { clickDefaultButton(); },
        [this] { firstPaint(); },
    });
    centreOver(owner);
}

QtDialog::~QtDialog()
{
    timers_.clear();
    if (modalLoop_)
        modalLoop_->exit(0);
    delete window_.data();  // no-op when its owner window already took it down
}

namespace {

bool isStaticText(ControlKind kind)
{
    return kind == ControlKind::StaticLeft || kind == ControlKind::StaticRight ||
           kind == ControlKind::StaticCenter || kind == ControlKind::StaticSunken;
}

bool takesInput(ControlKind kind)
{
    return kind == ControlKind::Edit || kind == ControlKind::PasswordEdit ||
           kind == ControlKind::DropDownList || kind == ControlKind::ListViewReport ||
           kind == ControlKind::MultiLineReadOnly;
}

}  // namespace

void QtDialog::buildControls(const DialogResource& resource)
{
    // Widgets are made in table order, which is their tab order too.
    const ControlSpec* label = nullptr;  // a text right before the row, if any
    for (const ControlSpec& row : resource.controls) {
        QWidget* widget = buildControl(row, toQt(row.text), toQt(row.hint), window_->client(), units_);
        // Tools and tests find a control by its id; screen readers name an input after
        // the text that labels it, or after its hint where nothing does. A section's
        // heading labels no input: "Billing Information" is not the first name's name.
        widget->setObjectName(QString::number(row.id));
        if (takesInput(row.kind)) {
            const std::string& name = label != nullptr ? label->text : !row.hint.empty() ? row.hint : row.name;
            widget->setAccessibleName(toQt(name));
            if (label != nullptr)
                controls_[label->id].labelled = widget;  // the name follows the label's text
        }
        label = isStaticText(row.kind) && !row.text.empty() && !row.heading ? &row : nullptr;
        Control& control = controls_[row.id] = Control{row.kind, widget, row.text, nullptr};
        if (row.kind == ControlKind::DefaultPushButton && defaultButton_ < 0)
            defaultButton_ = row.id;
        connectControl(row, control);
    }
}

void QtDialog::connectControl(const ControlSpec& row, const Control& control)
{
    const int id = row.id;
    QWidget* widget = control.widget;
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::CheckBox:
    case ControlKind::CheckBoxMultiLine:
    case ControlKind::RadioButton:
        // clicked() comes after the check state has changed.
        QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, widget,
                         [this, id] { command(id, Notify::Clicked, 0); });
        break;
    case ControlKind::Edit:
    case ControlKind::PasswordEdit: {
        auto* edit = static_cast<QLineEdit*>(widget);
        // As in any dialog, Enter in an edit presses the default button, unless the
        // presenter acts on it there (the login password, the coupon code).
        if (row.takesEnter)
            QObject::connect(edit, &QLineEdit::returnPressed, edit,
                             [this, id] { command(id, Notify::EnterPressed, 0); });
        else
            QObject::connect(edit, &QLineEdit::returnPressed, edit, [this] { clickDefaultButton(); });
        QObject::connect(edit, &QLineEdit::textEdited, edit,
                         [this, id] { command(id, Notify::EditChanged, 0); });
        break;
    }
    case ControlKind::DropDownList:
        // Only the user's choices are reported, not programmatic selection.
        QObject::connect(static_cast<QComboBox*>(widget), &QComboBox::activated, widget,
                         [this, id](int index) { command(id, Notify::SelectionChanged, index); });
        break;
    case ControlKind::ListViewReport: {
        auto* list = static_cast<QTableView*>(widget);
        QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, list,
                         [this, id, list] {
                             if (!quietList_)
                                 command(id, Notify::ItemChanged, list->currentIndex().row());
                         });
        break;
    }
    case ControlKind::Link:
        QObject::connect(static_cast<QLabel*>(widget), &QLabel::linkActivated, widget,
                         [this, id](const QString& target) {
                             command(id, Notify::LinkClicked, target.toInt());
                         });
        break;
    default:
        break;
    }
}

// While a store exchange waits, the flow that asked for it is suspended in the middle
// of a handler: no other handler of the agent may run, or it would start a second
// exchange inside the first or change what the suspended flow relies on. The wait
// keeps the platform's user input queued; whatever still arrives here (a posted click)
// is refused, a timer tick is skipped (the progress timer ticks again), and a close
// request or the first paint act once the exchange is over.
bool QtDialog::exchangeWaiting() const
{
    return exchangeWait_ && exchangeWait_->waiting();
}

void QtDialog::command(int id, Notify code, int index)
{
    if (exchangeWaiting())
        return;
    handler_.onCommand(id, code, index);
}

void QtDialog::closeRequested()
{
    if (exchangeWaiting()) {
        // Asked again once the exchange is over, unless the flow has closed the
        // window itself by then.
        exchangeWait_->whenIdle([window = window_] {
            if (window && window->isVisible())
                window->close();
        });
        return;
    }
    command(kCancelCommand, Notify::Clicked, 0);
}

void QtDialog::firstPaint()
{
    if (exchangeWaiting()) {
        // The dialog deletes its window: a live window means a live dialog.
        exchangeWait_->whenIdle([this, window = window_] {
            if (window)
                firstPaint();
        });
        return;
    }
    handler_.onFirstPaint();
}

void QtDialog::clickDefaultButton()
{
    if (defaultButton_ < 0) {
        // Without a default button the platform sends the OK command.
        command(1, Notify::Clicked, 0);
        return;
    }
    auto* button = widgetAs<QAbstractButton>(defaultButton_);
    if (button && button->isEnabled() && !button->isHidden())
        button->click();
}

void QtDialog::ensureInitialised()
{
    if (initialised_)
        return;
    initialised_ = true;
    handler_.onInit();
}

const QtDialog::Control* QtDialog::find(int id) const
{
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

QWidget* QtDialog::control(int id) const
{
    const Control* c = find(id);
    return c ? c->widget : nullptr;
}

QWidget* QtDialog::qtWidget() const
{
    return window_.data();
}

// ---- Window ----

void QtDialog::setTitle(const std::string& title)
{
    window_->setWindowTitle(toQt(title));
}

std::string QtDialog::title() const
{
    return fromQt(window_->windowTitle());
}

void QtDialog::setIcon(int iconId)
{
    const QIcon icon = iconById(iconId);
    if (!icon.isNull())
        window_->setWindowIcon(icon);
}

void QtDialog::show()
{
    ensureInitialised();
    window_->show();
}

int QtDialog::runModal()
{
    ensureInitialised();
    if (!ended_) {
        window_->setWindowModality(Qt::ApplicationModal);
        window_->show();
        window_->raise();
        window_->activateWindow();
        QEventLoop loop;
        modalLoop_ = &loop;
        loop.exec(QEventLoop::DialogExec);
        modalLoop_ = nullptr;
        if (window_) {
            window_->hide();
            window_->setWindowModality(Qt::NonModal);
        }
    }
    // Left by the quit message rather than endDialog: no result.
    const int result = ended_ ? endResult_ : 0;
    ended_ = false;
    return result;
}

void QtDialog::endDialog(int result)
{
    endResult_ = result;
    ended_ = true;
    window_->hide();
    if (modalLoop_)
        modalLoop_->exit(0);
}

void QtDialog::centreOver(DialogView* owner)
{
    QWidget* ownerWidget = widgetOf(owner);
    const QRect over = ownerWidget ? ownerWidget->frameGeometry() : availableAreaFor(nullptr);
    if (!over.isEmpty())
        placeCentred(window_, over, ownerWidget);
}

bool QtDialog::anotherWindowModal() const
{
    const QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr && modal != window_;
}

void QtDialog::postQuit(int code)
{
    // Queued, so that a quit posted before the main loop runs (during start-up) is
    // still seen, and one posted inside a nested loop ends that loop and then the
    // main loop once control returns there.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [code] { QCoreApplication::exit(code); },
        Qt::QueuedConnection);
}

// ---- Any control ----

void QtDialog::setText(int id, const std::string& text)
{
    auto it = controls_.find(id);
    if (it == controls_.end())
        return;
    it->second.text = text;
    applyControlText(it->second.widget, it->second.kind, toQt(text));
    if (it->second.labelled != nullptr)
        it->second.labelled->setAccessibleName(toQt(text));
}

bool QtDialog::textFitsCodePage(int id) const
{
    const Control* c = find(id);
    if (!c)
        return true;
    QString shown;
    if (c->kind == ControlKind::Edit || c->kind == ControlKind::PasswordEdit)
        shown = static_cast<QLineEdit*>(c->widget)->text();
    else if (c->kind == ControlKind::DropDownList)
        shown = static_cast<QComboBox*>(c->widget)->currentText();
    else
        return true;  // other controls hold only what the agent put there
    // A character without a byte comes back as "?": the round trip tells.
    return toQt(fromQt(shown)) == shown;
}

bool QtDialog::readSecretText(int id, std::size_t maxBytes, SecretText& into) const
{
    const Control* c = find(id);
    if (!c || (c->kind != ControlKind::Edit && c->kind != ControlKind::PasswordEdit))
        return DialogView::readSecretText(id, maxBytes, into);
    // The QString shares the edit's own buffer; the two conversions are copies of their
    // own, overwritten here rather than left in freed memory.
    const QString shown = static_cast<QLineEdit*>(c->widget)->text();
    QByteArray utf8 = shown.toUtf8();
    std::string bytes = platform::utf8ToCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    into.assign(std::string_view(bytes).substr(0, maxBytes));
    // A character without a byte came out as "?": more of them than were typed tells.
    const auto questionMarks = std::count(bytes.begin(), bytes.end(), '?');
    const bool fits = questionMarks == shown.count(QLatin1Char('?'));
    wipeText(bytes);
    if (!utf8.isEmpty())
        explicit_bzero(utf8.data(), static_cast<std::size_t>(utf8.size()));
    return fits;
}

std::string QtDialog::text(int id) const
{
    const Control* c = find(id);
    if (!c)
        return {};
    switch (c->kind) {
    case ControlKind::Edit:
    case ControlKind::PasswordEdit:
        return fromQt(static_cast<QLineEdit*>(c->widget)->text());
    case ControlKind::DropDownList:
        return fromQt(static_cast<QComboBox*>(c->widget)->currentText());
    default:
        return c->text;
    }
}

void QtDialog::setEnabled(int id, bool enabled)
{
    if (QWidget* w = control(id))
        w->setEnabled(enabled);
}

bool QtDialog::isEnabled(int id) const
{
    const QWidget* w = control(id);
    return w && !w->testAttribute(Qt::WA_ForceDisabled);
}

void QtDialog::setVisible(int id, bool visible)
{
    if (QWidget* w = control(id))
        w->setVisible(visible);
}

bool QtDialog::isVisible(int id) const
{
    const QWidget* w = control(id);
    return w && !w->isHidden();
}

void QtDialog::setFocus(int id)
{
    if (QWidget* w = control(id))
        w->setFocus(Qt::OtherFocusReason);
}

void QtDialog::setFont(int id, const std::string& family, int points, int weight)
{
    QWidget* w = id == kClientArea ? window_.data() : control(id);
    if (w)
        w->setFont(dialogFont(family, points, weight));
}

// ---- Check boxes ----

void QtDialog::setChecked(int id, bool checked)
{
    auto* button = widgetAs<QAbstractButton>(id);
    if (!button)
        return;
    if (checked) {
        button->setChecked(true);  // a radio button unchecks its siblings
        return;
    }
    // An exclusive radio button refuses to be unchecked directly.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(exclusive);
}

bool QtDialog::isChecked(int id) const
{
    const auto* button = widgetAs<QAbstractButton>(id);
    return button && button->isChecked();
}

// ---- Drop-down lists ----

void QtDialog::comboClear(int id)
{
    if (auto* combo = widgetAs<QComboBox>(id))
        combo->clear();
}

int QtDialog::comboAdd(int id, const std::string& text)
{
    auto* combo = widgetAs<QComboBox>(id);
    if (!combo)
        return -1;
    combo->addItem(toQt(text));
    return combo->count() - 1;
}

int QtDialog::comboCount(int id) const
{
    const auto* combo = widgetAs<QComboBox>(id);
    return combo ? combo->count() : 0;
}

std::string QtDialog::comboText(int id, int index) const
{
    const auto* combo = widgetAs<QComboBox>(id);
    if (!combo || index < 0 || index >= combo->count())
        return {};
    return fromQt(combo->itemText(index));
}

void QtDialog::comboSetCurrent(int id, int index)
{
    auto* combo = widgetAs<QComboBox>(id);
    if (!combo)
        return;
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

int QtDialog::comboCurrent(int id) const
{
    const auto* combo = widgetAs<QComboBox>(id);
    return combo ? combo->currentIndex() : -1;
}

// ---- Progress bar ----

void QtDialog::progressSetRange(int id, int minimum, int maximum)
{
    if (auto* bar = widgetAs<QProgressBar>(id))
        bar->setRange(minimum, std::max(minimum, maximum));
}

void QtDialog::progressSetValue(int id, int value)
{
    // The platform clamps a position outside the range; Qt would ignore it.
    if (auto* bar = widgetAs<QProgressBar>(id))
        bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
}

int QtDialog::progressValue(int id) const
{
    const auto* bar = widgetAs<QProgressBar>(id);
    return bar ? std::max(bar->value(), bar->minimum()) : 0;
}

// ---- Pictures ----

bool QtDialog::setPicture(int id, int x, int y, const std::string& encodedImage, double pixelRatio)
{
    PlacedPicture* place = nullptr;
    QWidget* target = nullptr;
    if (id == kClientArea) {
        place = &window_->picture();
        target = window_->client();
    } else if (auto* frame = dynamic_cast<PictureFrame*>(control(id))) {
        place = &frame->picture();
        target = frame;
    }
    if (!place)
        return false;
    QImage image;
    const bool decoded =
        !encodedImage.empty() &&
        image.loadFromData(reinterpret_cast<const uchar*>(encodedImage.data()),
                           static_cast<int>(std::min<std::size_t>(encodedImage.size(), std::numeric_limits<int>::max())));
    if (decoded) {
        image.setDevicePixelRatio(pixelRatio >= 1.0 ? pixelRatio : 1.0);
        place->set(std::move(image), QPoint(x, y));
    }
    else
        place->clear();
    target->update();
    return decoded;
}

bool QtDialog::hasPicture(int id) const
{
    if (id == kClientArea)
        return !window_->picture().isEmpty();
    const auto* frame = dynamic_cast<const PictureFrame*>(control(id));
    return frame && !frame->picture().isEmpty();
}

// ---- Timers ----

void QtDialog::startTimer(int timerId, int milliseconds)
{
    auto& timer = timers_[timerId];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, window_, [this, timerId] {
            if (!exchangeWaiting())
                handler_.onTimer(timerId);
        });
    }
    timer->start(std::max(milliseconds, 1));
}

void QtDialog::stopTimer(int timerId)
{
    // Kept, not destroyed: the handler may stop a timer from inside its own tick.
    if (auto it = timers_.find(timerId); it != timers_.end())
        it->second->stop();
}

bool grabToPng(const QtDialog& dialog, const std::string& path)
{
    QWidget* window = dialog.qtWidget();
    return window && window->grab().save(QString::fromStdString(path), "PNG");
}

}  // namespace qk::ui
