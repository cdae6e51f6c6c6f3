#include "ui/message_box/message_box_template.h"

#include <algorithm>
#include <cmath>

#include <QCheckBox>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>

#include "platform/text_encoding.h"
#include "ui/message_box.h"

namespace qk::ui {
namespace {

QString toQt(std::string_view bytes)
{
    return QString::fromStdString(platform::cp1252ToUtf8(bytes));
}

int px(double units) { return static_cast<int>(std::lround(units)); }

// Pixels per dialog unit, from the font the way the desktop platform derives its base
// units: the average width of the 52 letters, and the line height.
struct DialogUnits {
    double x = 0;
    double y = 0;
};

DialogUnits dialogUnits(const QFontMetrics& metrics)
{
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseWidth = (letters / 26 + 1) / 2;
    return {baseWidth / 4.0, metrics.height() / 8.0};
}

QColor colourFrom(long rgb)
{
    if (rgb < 0)
        return {};
    return QColor::fromRgb(static_cast<QRgb>(rgb & 0xFFFFFF));
}

QIcon iconFor(const MessageBoxParams& params, unsigned flags, QStyle* style)
{
    if (!params.customIcon.empty()) {
        QIcon custom(QString::fromStdString(params.customIcon));
        if (!custom.isNull())
            return custom;
    }
    if (style == nullptr)
        return {};
    switch (flags & 0xF0u) {
    case mb::kIconStop: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case mb::kIconQuestion: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case mb::kIconExclamation: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case mb::kIconInformation: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    default: return {};
    }
}

// The width the style itself needs for a control showing `textWidth` pixels of text.
int styleWidth(QStyle* style, QStyle::ContentsType type, const QFontMetrics& metrics, const QString& text)
{
    if (style == nullptr)
        return 0;
    QStyleOptionButton option;
    option.fontMetrics = metrics;
    option.text = text;
    // Measured the way the widgets measure their own text, so the size hint is met.
    const QSize contents = metrics.size(Qt::TextShowMnemonic, text)
                               .expandedTo(metrics.boundingRect(QRect(), Qt::TextShowMnemonic, text).size());
    return style->sizeFromContents(type, &option, contents).width();
}

}  // namespace

bool MessageBoxTemplate::addItem(std::unique_ptr<MessageBoxItem> item)
{
    if (items.size() >= kMaxMessageBoxItems)
        return false;
    items.push_back(std::move(item));
    return true;
}

const MessageBoxItem* MessageBoxTemplate::item(int id) const
{
    for (const auto& item : items)
        if (item->id == id)
            return item.get();
    return nullptr;
}

int clampTimerSeconds(int seconds)
{
    if (seconds >= 1000)
        return 10;
    return std::max(seconds, 0);
}

std::unique_ptr<MessageBoxTemplate> buildMessageBoxTemplate(const MessageBoxParams& params,
                                                            std::string_view text,
                                                            std::string_view caption,
                                                            unsigned flags,
                                                            const TemplateEnvironment& environment)
{
    auto box = std::make_unique<MessageBoxTemplate>();
    // Caption and message hold at most 65535 characters each.
    constexpr std::size_t kMaxText = 65535;
    box->caption = std::string(caption.substr(0, std::min(caption.size(), kMaxText)));
    box->message = std::string(text.substr(0, std::min(text.size(), kMaxText)));
    box->flags = flags;
    box->countdownSeconds = clampTimerSeconds(params.countdownSeconds);
    box->disabledSeconds = clampTimerSeconds(params.disabledSeconds);
    box->x = params.x;
    box->y = params.y;
    box->font = environment.font;
    box->textColour = colourFrom(params.textColour);
    box->backgroundColour = colourFrom(params.backgroundColour);

    // Every current desktop gets the framed layout; the option bits only add to it.
    const unsigned options = params.options | mbo::kFramed;
    box->framed = (options & mbo::kFramed) != 0;
    const bool rightAligned = (options & (mbo::kRightAlignedButtons | mbo::kFramed)) != 0;

    const QFontMetrics metrics(box->font);
    const DialogUnits units = dialogUnits(metrics);
    const int buttonWidth = px(38 * units.x + (box->framed ? 6 * units.x : 0));
    const int buttonHeight = std::max(px(12 * units.y + (box->framed ? units.y : 0)), metrics.height() + 8);
    const int checkBoxHeight = std::max(px(10 * units.y), metrics.height() + 2);

    box->captions = loadCaptionTable(params, flags);
    for (std::size_t i = 0; i < kCaptionSlotCount; ++i)
        box->captionWidths[i] = metrics.horizontalAdvance(toQt(withoutMnemonics(box->captions[i])));

    // Icon and message text.
    box->icon = iconFor(params, flags, environment.style);
    const bool hasIcon = !box->icon.isNull();
    box->iconSize = hasIcon && environment.style ? environment.style->pixelMetric(QStyle::PM_MessageBoxIconSize)
                                                 : (hasIcon ? 32 : 0);
    const int iconMargin = box->framed ? 24 : 8;

    int maxTextWidth = environment.screenWidth / 2 + 80;
    if (options & mbo::kThirdScreenText)
        maxTextWidth = environment.screenWidth / 3;
    else if (box->framed)
        maxTextWidth = environment.screenWidth / 2 - 10;
    if (hasIcon)
        maxTextWidth -= box->iconSize + 16;
    maxTextWidth = std::max(maxTextWidth, 50);

    QString shownText = toQt(text);
    shownText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QRect measured = metrics.boundingRect(QRect(0, 0, maxTextWidth, 1 << 20),
                                                Qt::TextWordWrap | Qt::TextExpandTabs, shownText);
    const int textLeft = 16 + (hasIcon ? box->iconSize + iconMargin : 0);
    const int textTop = box->framed ? 32 : 16;
    // The text rectangle is 28 pixels wider than the text: a right margin. The label
    // itself gets only the measured width (and a few pixels for rounding), or it would
    // wrap its lines into that margin.
    const QRect textRect(textLeft, textTop, measured.width() + 28, std::max(measured.height(), metrics.height()));
    const QRect labelRect(textLeft, textTop, measured.width() + 4, textRect.height());

    int contentBottom = textRect.y() + textRect.height();
    if (hasIcon) {
        box->addItem(std::make_unique<MessageBoxItem>(
            ItemKind::IconStatic, kIdIconControl, std::string(),
            QRect(iconMargin, iconMargin, box->iconSize, box->iconSize)));
        contentBottom = std::max(contentBottom, iconMargin + box->iconSize);
    }
    box->addItem(std::make_unique<MessageBoxItem>(ItemKind::Static, kIdMessageText, box->message, labelRect));

    // Buttons, as wide as their captions (with room for the count when counting down).
    box->buttons = buttonsFor(params, flags, box->captions);
    const int countdownRoom = box->countdownSeconds > 0 ? px(13 * units.x) : 0;
    std::vector<int> widths;
    int rowWidth = 0;
    for (const ButtonSpec& button : box->buttons) {
        const QString shown = toQt(withoutMnemonics(button.caption));
        const int width = std::max({buttonWidth, metrics.horizontalAdvance(shown) + 20,
                                    styleWidth(environment.style, QStyle::CT_PushButton, metrics, shown)}) +
                          countdownRoom;
        widths.push_back(width);
        rowWidth += width;
    }
    if (!widths.empty())
        rowWidth += 6 * static_cast<int>(widths.size() - 1);

    const bool coloured = box->textColour.isValid() || box->backgroundColour.isValid();
    int rowTop = 0;
    if (box->framed) {
        const int areaBottom = contentBottom + 16;
        box->messageArea = QRect(0, 0, 0, areaBottom);  // width set below
        rowTop = areaBottom + 11;
    } else {
        rowTop = contentBottom + (hasIcon || coloured ? 14 : 5);
    }
    int bottom = rowTop + buttonHeight;

    box->checkBox = checkBoxFor(flags);
    QRect checkRect;
    if (box->checkBox.bit != 0) {
        const QString shown = toQt(box->captions[static_cast<std::size_t>(box->checkBox.slot)]);
        // The style's indicator and spacing vary: ask a check box of the same font.
        QCheckBox probe(shown);
        probe.setFont(box->font);
        const int width = std::max(metrics.horizontalAdvance(shown) + 24, probe.sizeHint().width());
        checkRect = QRect(17, bottom + 12, width, checkBoxHeight);
        bottom = checkRect.y() + checkRect.height();
    }

    const int width = std::max({textRect.x() + textRect.width(), rowWidth + 32,
                                checkRect.isNull() ? 0 : checkRect.x() + checkRect.width() + 16});
    const int height = std::max(bottom + (box->framed ? 12 : 10), 70);
    box->size = QSize(width, height);
    if (box->framed)
        box->messageArea.setWidth(width);

    int left = rightAligned ? width - 16 - rowWidth : (width - rowWidth) / 2;
    for (std::size_t i = 0; i < box->buttons.size(); ++i) {
        box->addItem(std::make_unique<MessageBoxItem>(ItemKind::Button, box->buttons[i].id,
                                                      box->buttons[i].caption,
                                                      QRect(left, rowTop, widths[i], buttonHeight)));
        left += widths[i] + 6;
    }
    if (box->checkBox.bit != 0) {
        box->addItem(std::make_unique<MessageBoxItem>(
            ItemKind::CheckBox, kIdCheckBox, box->captions[static_cast<std::size_t>(box->checkBox.slot)],
            checkRect));
    }

    box->defaultIndex = defaultButtonIndex(flags, box->buttons.size());
    if (!box->buttons.empty()) {
        box->defaultId = box->buttons[static_cast<std::size_t>(box->defaultIndex)].id;
        box->defaultCaption = box->buttons[static_cast<std::size_t>(box->defaultIndex)].caption;
    }
    box->escapeAnswer = escapeAnswer(box->buttons);
    return box;
}

}  // namespace qk::ui
