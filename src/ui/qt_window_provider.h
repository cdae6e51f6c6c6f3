#pragma once
// Qt-side access to the widget behind a DialogView, for code inside ui/ that must
// parent, centre or disable real windows (the message box, the folder browser).

class QWidget;

namespace qk::ui {

class QtWindowProvider {
public:
    virtual ~QtWindowProvider() = default;
    [[nodiscard]] virtual QWidget* qtWidget() const = 0;
};

}  // namespace qk::ui
