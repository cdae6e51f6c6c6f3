#include "ui/dialog_widgets.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QFontMetrics>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>

namespace qk::ui {

void PlacedPicture::set(QImage image, QPoint offset)
{
    image_ = std::move(image);
    offset_ = offset;
}

void PlacedPicture::clear()
{
    image_ = QImage();  // releases the previous picture
}

void PlacedPicture::draw(QPainter& painter) const
{
    if (!image_.isNull())
        painter.drawImage(offset_, image_);
}

DialogClient::DialogClient(QWidget* parent) : QWidget(parent) {}

void DialogClient::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    picture_.draw(painter);
    if (!painted_) {
        painted_ = true;
        // Run after this paint: the handler may open a modal dialog, which must not
        // start inside a paint event.
        if (firstPaint_)
            QTimer::singleShot(0, this, [this] {
                if (firstPaint_)
                    firstPaint_();
            });
    }
}

DialogWindow::DialogWindow(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), client_(new DialogClient(this))
{
}

void DialogWindow::setHooks(Hooks hooks)
{
    hooks_ = std::move(hooks);
    client_->setFirstPaintHook(hooks_.firstPaint);
}

void DialogWindow::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (hooks_.cancel)
            hooks_.cancel();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        QWidget* focus = focusWidget();
        // A single-line edit reports Enter itself; a multi-line one keeps it.
        if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus))
            return;
        if (auto* button = qobject_cast<QPushButton*>(focus)) {
            button->click();
            return;
        }
        if (hooks_.enter)
            hooks_.enter();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DialogWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (hooks_.cancel)
        hooks_.cancel();
}

PictureFrame::PictureFrame(QWidget* parent) : QWidget(parent) {}

void PictureFrame::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setClipRect(rect());
    picture_.draw(painter);
}

void DialogGroupBox::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const QRect frame = rect().adjusted(0, metrics.height() / 2, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.adjusted(1, 1, 0, 0));
    if (title().isEmpty())
        return;
    const QRect caption(metrics.averageCharWidth(), 0, metrics.horizontalAdvance(title()) + 4,
                        metrics.height());
    painter.fillRect(caption, palette().window());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::WindowText));
    painter.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, title());
}

void WrappingCheckBox::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect indicator = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    QStyleOptionButton indicatorOption = option;
    indicatorOption.rect = QRect(indicator.left(), (height() - indicator.height()) / 2,
                                 indicator.width(), indicator.height());
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &indicatorOption, &painter, this);

    const int spacing = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, this);
    const QRect textRect(indicator.right() + 1 + spacing, 0,
                         width() - indicator.right() - 1 - spacing, height());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::WindowText));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                                          text());
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

}  // namespace qk::ui
