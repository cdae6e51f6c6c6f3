#include "ui/screen_fit/client_fit.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace qk::ui {

namespace {

const QString kScrollAreaName = QStringLiteral("clientScrollArea");

// Keeps whatever takes the focus inside the client in view, whether by Tab, a
// mnemonic, a click on a control half in view or the program itself.
class ClientScrollArea final : public QScrollArea {
public:
    explicit ClientScrollArea(QWidget* parent) : QScrollArea(parent)
    {
        following_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now != nullptr && widget() != nullptr && widget()->isAncestorOf(now))
                ensureWidgetVisible(now, kFocusMargin, kFocusMargin);
        });
    }
    ~ClientScrollArea() override { disconnect(following_); }
    ClientScrollArea(const ClientScrollArea&) = delete;
    ClientScrollArea& operator=(const ClientScrollArea&) = delete;

private:
    static constexpr int kFocusMargin = 12;  // a little of the control's surroundings
    QMetaObject::Connection following_;
};

}  // namespace

QScrollArea* fitClientArea(QWidget* window, QWidget* client, QSize room)
{
    const QSize layout = client->size();
    client->move(0, 0);
    if (layout.width() <= room.width() && layout.height() <= room.height()) {
        window->setFixedSize(layout);
        return nullptr;
    }

    auto* scroll = new ClientScrollArea(window);
    scroll->setObjectName(kScrollAreaName);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);  // no extra Tab stop: it follows the focus instead
    scroll->setWidgetResizable(false);  // the client keeps its layout's size
    scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidget(client);
    auto* frame = new QVBoxLayout(window);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    frame->addWidget(scroll);

    // A scroll bar in one direction takes room from the other; where the room allows,
    // the window is made that much larger, so that only the short direction scrolls.
    const int bar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll);
    bool scrollsAcross = layout.width() > room.width();
    bool scrollsDown = layout.height() > room.height();
    scrollsAcross = scrollsAcross || (scrollsDown && layout.width() + bar > room.width());
    scrollsDown = scrollsDown || (scrollsAcross && layout.height() + bar > room.height());
    const QSize whole(layout.width() + (scrollsDown ? bar : 0), layout.height() + (scrollsAcross ? bar : 0));

    window->setMinimumSize(std::min(whole.width(), 8 * bar), std::min(whole.height(), 6 * bar));
    window->setMaximumSize(whole);
    window->resize(std::min(whole.width(), room.width()), std::min(whole.height(), room.height()));
    return scroll;
}

QScrollArea* clientScrollArea(const QWidget* window)
{
    return window->findChild<QScrollArea*>(kScrollAreaName, Qt::FindDirectChildrenOnly);
}

}  // namespace qk::ui
