#pragma once
// A small dialog with one control of each kind the engine tests drive.

#include "ui/dialog_resource.h"

namespace qk::test {

inline constexpr int kOk = 1;
inline constexpr int kEdit = 10;
inline constexpr int kButton = 11;
inline constexpr int kLink = 12;
inline constexpr int kCombo = 13;
inline constexpr int kList = 14;
inline constexpr int kCheck = 15;
inline constexpr int kRadioA = 16;
inline constexpr int kRadioB = 17;
inline constexpr int kPicture = 18;
inline constexpr int kProgress = 19;
inline constexpr int kNotes = 20;
inline constexpr int kLabel = 21;

inline ui::DialogResource testDialogResource(bool withDefaultButton = true)
{
    using K = ui::ControlKind;
    ui::DialogResource r;
    r.id = 500;
    r.width = 300;
    r.height = 200;
    r.caption = "Test";
    auto add = [&r](int id, K kind, const char* text, int x, int y, int w, int h) {
        r.controls.push_back(ui::control(id, kind, text, x, y, w, h));
    };
    add(kEdit, K::Edit, "", 5, 5, 100, 12);
    r.controls.back().takesEnter = true;  // like the login password: the presenter acts on Enter
    if (withDefaultButton)
        add(kOk, K::DefaultPushButton, "OK", 110, 5, 50, 14);
    add(kButton, K::PushButton, "Other", 165, 5, 50, 14);
    add(kLink, K::Link, "<a>first</a>\r\nSerial: <a>second</a>", 5, 25, 150, 20);
    add(kCombo, K::DropDownList, "", 160, 25, 100, 60);
    add(kList, K::ListViewReport, "", 5, 50, 150, 80);
    add(kCheck, K::CheckBox, "Check", 160, 50, 60, 10);
    add(kRadioA, K::RadioButton, "A", 160, 62, 40, 10);
    add(kRadioB, K::RadioButton, "B", 200, 62, 40, 10);
    add(kPicture, K::PictureFrame, "", 160, 75, 40, 30);
    add(kProgress, K::ProgressBar, "", 160, 110, 100, 8);
    add(kNotes, K::MultiLineReadOnly, "", 5, 135, 150, 40);
    add(kLabel, K::StaticLeft, "Label", 160, 125, 100, 8);
    return r;
}

}  // namespace qk::test
