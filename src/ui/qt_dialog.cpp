// The dialog's window: building it from its table, showing it, running it modally.
#include "ui/qt_dialog.h"

#include "ui/agent_icon.h"
#include "ui/dialog_widgets.h"
#include "ui/qt_text.h"
#include "ui/screen_fit/client_fit.h"
#include "ui/screen_fit/window_placement.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace qk::ui {

namespace {

QWidget* widgetOf(DialogView* view)
{
    auto* provider = dynamic_cast<QtWindowProvider*>(view);
    return provider ? provider->qtWidget() : nullptr;
}

}  // namespace

QtDialog::QtDialog(const DialogResource& resource, DialogHandler& handler, DialogView* owner,
                   platform::QtExchangeWait* exchangeWait)
    : handler_(handler), exchangeWait_(exchangeWait), resourceId_(resource.id)
{
    QWidget* ownerWidget = widgetOf(owner);
    Qt::WindowFlags flags = (ownerWidget ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint |
                            Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint;
    if (resource.minimizeBox)
        flags |= Qt::WindowMinimizeButtonHint;
    window_ = new DialogWindow(ownerWidget, flags);

    const QFont font = dialogFont(resource.fontFamily, resource.fontPoints, 0);
    window_->setFont(font);
    units_ = DialogUnits::fromFont(font);
    window_->client()->resize(units_.toPixelsX(resource.width), units_.toPixelsY(resource.height));
    window_->setWindowTitle(toQt(resource.caption));

    buildControls(resource);
    fitClientArea(window_, window_->client(), clientRoomFor(window_, ownerWidget));
    window_->setHooks({
        [this] { closeRequested(); },
        [this] { clickDefaultButton(); },
        [this] { firstPaint(); },
    });
    centreOver(owner);
}

QtDialog::~QtDialog()
{
    timers_.clear();
    if (modalLoop_)
        modalLoop_->exit(0);
    delete window_.data();  // no-op when its owner window already took it down
}

void QtDialog::ensureInitialised()
{
    if (initialised_)
        return;
    initialised_ = true;
    handler_.onInit();
}

const QtDialog::Control* QtDialog::find(int id) const
{
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

QWidget* QtDialog::control(int id) const
{
    const Control* c = find(id);
    return c ? c->widget : nullptr;
}

QWidget* QtDialog::qtWidget() const
{
    return window_.data();
}

// ---- Window ----

void QtDialog::setTitle(const std::string& title)
{
    window_->setWindowTitle(toQt(title));
}

std::string QtDialog::title() const
{
    return fromQt(window_->windowTitle());
}

void QtDialog::setIcon(int iconId)
{
    const QIcon icon = iconById(iconId);
    if (!icon.isNull())
        window_->setWindowIcon(icon);
}

void QtDialog::show()
{
    ensureInitialised();
    window_->show();
}

int QtDialog::runModal()
{
    ensureInitialised();
    if (!ended_) {
        window_->setWindowModality(Qt::ApplicationModal);
        window_->show();
        window_->raise();
        window_->activateWindow();
        QEventLoop loop;
        modalLoop_ = &loop;
        loop.exec(QEventLoop::DialogExec);
        modalLoop_ = nullptr;
        if (window_) {
            window_->hide();
            window_->setWindowModality(Qt::NonModal);
        }
    }
    // Left by the quit message rather than endDialog: no result.
    const int result = ended_ ? endResult_ : 0;
    ended_ = false;
    return result;
}

void QtDialog::endDialog(int result)
{
    endResult_ = result;
    ended_ = true;
    window_->hide();
    if (modalLoop_)
        modalLoop_->exit(0);
}

void QtDialog::centreOver(DialogView* owner)
{
    QWidget* ownerWidget = widgetOf(owner);
    const QRect over = ownerWidget ? ownerWidget->frameGeometry() : availableAreaFor(nullptr);
    if (!over.isEmpty())
        placeCentred(window_, over, ownerWidget);
}

bool QtDialog::anotherWindowModal() const
{
    const QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr && modal != window_;
}

void QtDialog::postQuit(int code)
{
    // Queued, so that a quit posted before the main loop runs (during start-up) is
    // still seen, and one posted inside a nested loop ends that loop and then the
    // main loop once control returns there.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [code] { QCoreApplication::exit(code); },
        Qt::QueuedConnection);
}

bool grabToPng(const QtDialog& dialog, const std::string& path)
{
    QWidget* window = dialog.qtWidget();
    return window && window->grab().save(QString::fromStdString(path), "PNG");
}

}  // namespace qk::ui
