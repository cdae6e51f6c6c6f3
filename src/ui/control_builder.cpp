#include "ui/control_builder.h"

#include "ui/dialog_widgets.h"
#include "ui/link_markup.h"
#include "ui/report_list.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <algorithm>

namespace qk::ui {

namespace {

QLabel* makeStatic(QWidget* parent, ControlKind kind)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);  // store texts are never markup
    label->setWordWrap(true);
    // Statics paint the dialog's background, so a caption placed on a group frame
    // interrupts the frame line.
    label->setAutoFillBackground(true);
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (kind == ControlKind::StaticRight)
        horizontal = Qt::AlignRight;
    else if (kind == ControlKind::StaticCenter || kind == ControlKind::StaticCenterFramed)
        horizontal = Qt::AlignHCenter;
    label->setAlignment(horizontal | Qt::AlignTop);
    if (kind == ControlKind::StaticCenterFramed) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(false);
    }
    if (kind == ControlKind::StaticSunken) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
        label->setMargin(1);
        label->setWordWrap(false);
        // Top-aligned, a framed label pushes its text down by half an "x" besides its
        // margin, and a one-line box loses the descenders to its lower border.
        label->setAlignment(horizontal | Qt::AlignVCenter);
    }
    return label;
}

QLabel* makeLink(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    return label;
}

QTableView* makeReportList(QWidget* parent)
{
    // The rows live in a compact model owned by the view (see ui/report_list.h).
    auto* list = new QTableView(parent);
    list->setModel(new ReportListModel(list));
    list->setSortingEnabled(false);
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // As in the platform's list views, Tab and Shift+Tab leave the list for the next
    // control and the arrow keys move between rows; Qt would walk the cells with Tab.
    list->setTabKeyNavigation(false);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(QFontMetrics(parent->font()).height() + 4);
    list->horizontalHeader()->setSectionsClickable(false);
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setStretchLastSection(false);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The selection stays visible when the list loses the focus.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
    return list;
}

QWidget* makeWidget(const ControlSpec& control, QWidget* parent)
{
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
        auto* button = new QPushButton(parent);
        // Enter is routed by the dialog, not by Qt's auto-default buttons.
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    }
    case ControlKind::StaticLeft:
    case ControlKind::StaticRight:
    case ControlKind::StaticCenter:
    case ControlKind::StaticSunken:
    case ControlKind::StaticCenterFramed:
        return makeStatic(parent, control.kind);
    case ControlKind::Edit:
    case ControlKind::PasswordEdit: {
        auto* edit = new QLineEdit(parent);
        if (control.kind == ControlKind::PasswordEdit)
            edit->setEchoMode(QLineEdit::Password);
        if (control.maxLength > 0)
            edit->setMaxLength(control.maxLength);
        return edit;
    }
    case ControlKind::MultiLineReadOnly: {
        auto* text = new QPlainTextEdit(parent);
        text->setReadOnly(true);
        text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        return text;
    }
    case ControlKind::DropDownList: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        combo->setInsertPolicy(QComboBox::InsertAtBottom);
        combo->setMaxVisibleItems(20);
        return combo;
    }
    case ControlKind::ListViewReport:
        return makeReportList(parent);
    case ControlKind::CheckBox:
        return new DialogCheckBox(parent);
    case ControlKind::CheckBoxMultiLine:
        return new WrappingCheckBox(parent);
    case ControlKind::RadioButton:
        return new DialogRadioButton(parent);
    case ControlKind::GroupBox:
        return new DialogGroupBox(parent);
    case ControlKind::Link:
        return makeLink(parent);
    case ControlKind::PictureFrame:
        return new PictureFrame(parent);
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    }
    }
    return new QWidget(parent);
}

}  // namespace

void applyControlText(QWidget* widget, ControlKind kind, const QString& text)
{
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::CheckBox:
    case ControlKind::CheckBoxMultiLine:
    case ControlKind::RadioButton:
        static_cast<QAbstractButton*>(widget)->setText(withPlainLineBreaks(text));
        widget->update();
        break;
    case ControlKind::StaticLeft:
    case ControlKind::StaticRight:
    case ControlKind::StaticCenter:
    case ControlKind::StaticSunken:
    case ControlKind::StaticCenterFramed:
        static_cast<QLabel*>(widget)->setText(withPlainLineBreaks(text));
        break;
    case ControlKind::Edit:
    case ControlKind::PasswordEdit: {
        // The limit bounds what the customer types; a text the agent puts there (a value
        // the store keeps) is shown whole rather than silently cut.
        auto* edit = static_cast<QLineEdit*>(widget);
        if (text.size() > edit->maxLength())
            edit->setMaxLength(static_cast<int>(text.size()));
        edit->setText(text);
        break;
    }
    case ControlKind::MultiLineReadOnly:
        static_cast<QPlainTextEdit*>(widget)->setPlainText(withPlainLineBreaks(text));
        break;
    case ControlKind::GroupBox:
        static_cast<QGroupBox*>(widget)->setTitle(withPlainLineBreaks(text));
        break;
    case ControlKind::Link:
        static_cast<QLabel*>(widget)->setText(linkMarkupToHtml(text).html);
        break;
    case ControlKind::DropDownList:
    case ControlKind::ListViewReport:
    case ControlKind::PictureFrame:
    case ControlKind::ProgressBar:
        break;  // these kinds show no window text
    }
}

QWidget* buildControl(const ControlSpec& control, const QString& text, const QString& hint,
                      QWidget* parent, const DialogUnits& units)
{
    QWidget* widget = makeWidget(control, parent);
    QRect geometry = units.toPixels(control.x, control.y, control.width, control.height);
    if (control.kind == ControlKind::DropDownList) {
        // The resource height includes the dropped-down list; closed, the box takes
        // the height its font needs.
        geometry.setHeight(widget->sizeHint().height());
    }
    if (control.kind == ControlKind::StaticSunken) {
        // Room for one whole line of text inside the frame, where the units would leave
        // less than the font's height; otherwise the table's height as it stands.
        const auto* label = static_cast<QLabel*>(widget);
        const int needed = QFontMetrics(parent->font()).height() + 2 * (label->frameWidth() + label->margin());
        geometry.setHeight(std::max(geometry.height(), needed));
    }
    widget->setGeometry(geometry);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setPlaceholderText(hint);
    applyControlText(widget, control.kind, text);
    widget->setEnabled(control.enabled);
    widget->setVisible(control.visible);
    return widget;
}

}  // namespace qk::ui
