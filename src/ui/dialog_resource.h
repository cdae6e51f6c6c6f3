#pragma once
// A dialog as a data table: its size in dialog units, font and caption, and one row per
// control (id, kind, text, position and initial state). The Qt engine builds the real
// window from the table; presenters then address the controls by id.

#include <string>
#include <vector>
#include <utility>

namespace qk::ui {

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    StaticLeft,
    StaticRight,
    StaticCenter,
    StaticSunken,       // sunken frame around a left-aligned text
    StaticCenterFramed, // thin border around a centred text
    Edit,
    PasswordEdit,
    MultiLineReadOnly,  // multi-line read-only text with a vertical scroll bar
    DropDownList,
    ListViewReport,     // report list view; grid lines and full-row selection set by the owner
    CheckBox,
    CheckBoxMultiLine,
    RadioButton,
    GroupBox,
    Link,               // text with <a>…</a> parts; reports the index of the clicked link
    PictureFrame,       // owner-drawn static that shows a picture at (0, 0)
    ProgressBar,        // bordered
};

struct ControlSpec {
    int id = 0;
    ControlKind kind = ControlKind::StaticLeft;
    std::string text;   // Windows-1252 bytes
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    bool enabled = true;
    bool visible = true;
    std::string hint;   // edit hint text (cue banner), if any
    int maxLength = 0;  // edit length limit; 0: none
    std::string name;   // what screen readers call an input no label names, if not its hint
    bool takesEnter = false;  // the edit acts on Enter itself; otherwise Enter is the default button
    bool heading = false;     // a static text that heads a section or notes a list: it names no input
};

// What differs from a control's usual initial state.
struct ControlState {
    bool enabled = true;
    bool visible = true;
    int maxLength = 0;
    std::string hint{};  // edit hint text (cue banner)
    std::string name{};  // screen readers' name of an input without a label or hint
    bool takesEnter = false;  // an edit whose presenter acts on Enter (EnterPressed)
    bool heading = false;     // a static text over a section, not the label of the input after it
};

// One row of a dialog table.
inline ControlSpec control(int id, ControlKind kind, std::string text, int x, int y, int width,
                           int height, ControlState state = {})
{
    ControlSpec row;
    row.id = id;
    row.kind = kind;
    row.text = std::move(text);
    row.x = x;
    row.y = y;
    row.width = width;
    row.height = height;
    row.enabled = state.enabled;
    row.visible = state.visible;
    row.maxLength = state.maxLength;
    row.hint = std::move(state.hint);
    row.name = std::move(state.name);
    row.takesEnter = state.takesEnter;
    row.heading = state.heading;
    return row;
}

struct DialogResource {
    int id = 0;
    int width = 0, height = 0;  // dialog units
    std::string fontFamily = "Arial";
    int fontPoints = 10;
    std::string caption;        // Windows-1252 bytes
    bool minimizeBox = false;
    std::vector<ControlSpec> controls;
};

}  // namespace qk::ui
