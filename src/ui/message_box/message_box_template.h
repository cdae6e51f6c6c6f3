#pragma once
// The box under construction: its controls with their places, computed from the
// layout rules in the message font's own metrics before any widget exists.

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QRect>
#include <QSize>

#include "ui/message_box/button_captions.h"
#include "ui/message_box/message_box_params.h"

class QStyle;

namespace qk::ui {

inline constexpr int kIdIconControl = 1000;
inline constexpr int kIdMessageText = 1001;
inline constexpr int kIdCheckBox = 5555;
inline constexpr std::size_t kMaxMessageBoxItems = 20;

enum class ItemKind { Button, Static, IconStatic, CheckBox };

// One control of the box. The geometry is in pixels of the message font: the toolkit
// places widgets in pixels, so there is no round trip through dialog units.
class MessageBoxItem {
public:
    MessageBoxItem(ItemKind kind, int id, std::string text, QRect geometry)
        : kind(kind), id(id), text(std::move(text)), geometry(geometry)
    {
    }
    virtual ~MessageBoxItem() = default;

    ItemKind kind;
    int id;
    std::string text;  // Windows-1252 bytes
    QRect geometry;
};

class MessageBoxTemplate {
public:
    virtual ~MessageBoxTemplate() = default;

    // false when the box already holds the most items it can.
    bool addItem(std::unique_ptr<MessageBoxItem> item);
    [[nodiscard]] const MessageBoxItem* item(int id) const;

    std::string caption;  // Windows-1252 bytes
    std::string message;
    unsigned flags = 0;

    CaptionTable captions;
    std::array<int, kCaptionSlotCount> captionWidths{};

    std::vector<std::unique_ptr<MessageBoxItem>> items;
    std::vector<ButtonSpec> buttons;  // left to right
    int defaultIndex = 0;
    int defaultId = 0;
    std::string defaultCaption;  // restored when the countdown stops
    CheckBoxChoice checkBox;
    int escapeAnswer = 0;  // 0: Escape and the close box are ignored

    int countdownSeconds = 0;
    int disabledSeconds = 0;
    int x = 0;
    int y = 0;

    QFont font;
    QIcon icon;
    int iconSize = 0;
    QColor textColour;        // invalid: the system's window text
    QColor backgroundColour;  // invalid: the system's window colour
    bool framed = false;
    QRect messageArea;  // framed layout: the painted area above the button bar
    QSize size;
};

struct TemplateEnvironment {
    QFont font;            // the system's message font
    int screenWidth = 0;   // pixels
    QStyle* style = nullptr;
};

// Seconds of 1000 or more are taken as 10.
int clampTimerSeconds(int seconds);

std::unique_ptr<MessageBoxTemplate> buildMessageBoxTemplate(const MessageBoxParams& params,
                                                            std::string_view text,
                                                            std::string_view caption,
                                                            unsigned flags,
                                                            const TemplateEnvironment& environment);

}  // namespace qk::ui
