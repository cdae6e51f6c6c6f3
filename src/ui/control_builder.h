#pragma once
// Creates the real widget for one row of a dialog resource, at its place in pixels,
// with its initial text and state. Signals are connected by the dialog.

#include "ui/dialog_resource.h"
#include "ui/dialog_units.h"

class QString;
class QWidget;

namespace qk::ui {

// `text` and `hint` are the resource's texts already converted for the toolkit.
[[nodiscard]] QWidget* buildControl(const ControlSpec& control, const QString& text,
                                    const QString& hint, QWidget* parent, const DialogUnits& units);

// Puts `text` on a control of `kind` the way that kind shows it.
void applyControlText(QWidget* widget, ControlKind kind, const QString& text);

}  // namespace qk::ui
