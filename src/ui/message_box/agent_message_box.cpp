#include "ui/message_box/agent_message_box.h"

#include <map>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "platform/text_encoding.h"
#include "ui/dialog_view.h"
#include "ui/message_box/button_captions.h"
#include "ui/message_box/message_box_dialog.h"
#include "ui/message_box/message_box_template.h"
#include "ui/message_box/remembered_answer.h"
#include "ui/qt_window_provider.h"

namespace qk::ui {
namespace {

constexpr const char* kNullCaption = "Error";

QString toQt(std::string_view bytes)
{
    return QString::fromStdString(platform::cp1252ToUtf8(bytes));
}

QMessageBox::Icon systemIcon(unsigned flags)
{
    switch (flags & 0xF0u) {
    case mb::kIconStop: return QMessageBox::Critical;
    case mb::kIconQuestion: return QMessageBox::Question;
    case mb::kIconExclamation: return QMessageBox::Warning;
    case mb::kIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// Runs the loop of `dialog`, telling the `shown` hook once the loop is running.
int runLoop(QDialog& dialog, const MessageBoxHooks& hooks)
{
    if (hooks.shown)
        QTimer::singleShot(0, &dialog, [&dialog, &hooks] { hooks.shown(dialog); });
    return dialog.exec();
}

}  // namespace

QWidget* messageBoxOwnerWidget(DialogView* owner)
{
    if (owner != nullptr) {
        if (auto* provider = dynamic_cast<QtWindowProvider*>(owner))
            return provider->qtWidget();
        return nullptr;
    }
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

AgentMessageBox::AgentMessageBox(SettingsStore* settings, std::string programFileName, MessageBoxHooks hooks)
    : settings_(settings), programFileName_(std::move(programFileName)), hooks_(std::move(hooks))
{
}

MessageBoxFunction AgentMessageBox::function()
{
    return [this](const MessageBoxParams* params, DialogView* owner, const std::string& text,
                  const char* caption, unsigned flags) { return (*this)(params, owner, text, caption, flags); };
}

int AgentMessageBox::operator()(const MessageBoxParams* params, DialogView* owner, const std::string& text,
                                const char* caption, unsigned flags)
{
    if (hooks_.quitting && hooks_.quitting())
        return kIdNoAnswer;
    const std::string title = caption != nullptr ? std::string(caption) : std::string(kNullCaption);
    QWidget* ownerWidget = messageBoxOwnerWidget(owner);

    // The stop bit with system modal: the toolkit's own box.
    if ((flags & mb::kIconStop) && (flags & mb::kSystemModal))
        return showSystemModal(ownerWidget, text, title, flags);

    const MessageBoxParams copy = params != nullptr ? *params : MessageBoxParams{};

    RememberedAnswers remembered(settings_, programFileName_);
    const unsigned checkBoxBits = mb::kDontAskAgain | mb::kDontTellAgain | mb::kDontShowAgain;
    if ((flags & checkBoxBits) && !copy.rememberKey.empty()) {
        if (auto answer = remembered.lookup(copy.company, copy.rememberKey, copy.rememberIdent))
            return static_cast<int>(*answer);
    }

    TemplateEnvironment environment;
    environment.font = QApplication::font("QMessageBox");
    environment.style = QApplication::style();
    QScreen* screen = ownerWidget && ownerWidget->screen() ? ownerWidget->screen() : QGuiApplication::primaryScreen();
    environment.screenWidth = screen ? screen->geometry().width() : 1024;
    const auto box = buildMessageBoxTemplate(copy, text, title, flags, environment);

    // Every box sounds unless told not to; the icon bits only choose the sound, and a
    // box without an icon gets the default one.
    if ((flags & mb::kNoSound) == 0) {
        if (hooks_.beep)
            hooks_.beep(flags & 0xF0u);
        else
            QApplication::beep();
    }

    MessageBoxActions actions;
    actions.report = copy.report;
    const unsigned helpContext = copy.helpContext;
    actions.help = [this, helpContext] {
        const std::string helpFile =
            QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromStdString(programFileName_ + ".hlp")).toStdString();
        if (hooks_.openHelp)
            hooks_.openHelp(helpFile, helpContext);
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(helpFile)));
    };

    MessageBoxDialog dialog(*box, std::move(actions), ownerWidget);
    // Only the owner is blocked; the owner's timers and the rest of the program run on
    // inside the box's own loop.
    dialog.setWindowModality(ownerWidget != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    if (flags & mb::kSystemModal)
        dialog.setWindowModality(Qt::ApplicationModal);
    dialog.start(ownerWidget);
    runLoop(dialog, hooks_);

    // The loop can also end because the application is quitting: that is no answer.
    if (!dialog.isDone())
        return kIdNoAnswer;
    const int answer = dialog.answer();
    if (dialog.checkBoxTicked() && !copy.rememberKey.empty())
        remembered.store(copy.company, copy.rememberKey, copy.rememberIdent, static_cast<std::uint32_t>(answer));
    return answer;
}

int AgentMessageBox::showSystemModal(QWidget* owner, const std::string& text, const std::string& caption,
                                     unsigned flags)
{
    QMessageBox box(owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setIcon(systemIcon(flags));
    box.setWindowTitle(toQt(caption));
    QString shown = toQt(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);

    // Built-in captions: this path never reads a string table.
    const CaptionTable captions = loadCaptionTable(MessageBoxParams{}, flags | mb::kNoStringTable);
    MessageBoxParams noParams;
    const std::vector<ButtonSpec> buttons = buttonsFor(noParams, flags, captions);
    const int escape = escapeAnswer(buttons);
    const int defaultIndex = defaultButtonIndex(flags, buttons.size());
    std::map<QAbstractButton*, int> ids;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        // Only Cancel rejects: the toolkit would otherwise let Escape answer "No".
        const auto role = buttons[i].id == kIdCancel ? QMessageBox::RejectRole : QMessageBox::ActionRole;
        QPushButton* button = box.addButton(toQt(buttons[i].caption), role);
        ids[button] = buttons[i].id;
        if (buttons[i].id == escape)
            box.setEscapeButton(button);
        if (static_cast<int>(i) == defaultIndex)
            box.setDefaultButton(button);
    }
    if ((flags & mb::kNoSound) == 0 && systemIcon(flags) != QMessageBox::NoIcon && hooks_.beep)
        hooks_.beep(flags & 0xF0u);  // the toolkit's box sounds by itself otherwise

    runLoop(box, hooks_);
    const auto found = ids.find(box.clickedButton());
    return found == ids.end() ? kIdNoAnswer : found->second;
}

}  // namespace qk::ui
