// Making a dialog's controls from its table rows and wiring their signals to commands.
#include "ui/qt_dialog.h"

#include "ui/control_builder.h"
#include "ui/dialog_widgets.h"
#include "ui/qt_text.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace qk::ui {

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

}  // namespace qk::ui
