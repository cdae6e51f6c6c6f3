// Control operations of QtDialog: text, state, check boxes, drop-down lists, progress
// bars and pictures.
#include "ui/qt_dialog.h"

#include "ui/control_builder.h"
#include "ui/dialog_widgets.h"
#include "ui/qt_text.h"
#include "platform/text_encoding.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>

#include <algorithm>
#include <limits>

namespace qk::ui {

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

}  // namespace qk::ui
