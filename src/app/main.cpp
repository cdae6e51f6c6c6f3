// The store agent's entry point: builds the program on the real platform services, shows
// the main window modeless and runs the event loop. The command line is ignored.
#include "app/agent_program.h"
#include "platform/quit_signals.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(QK_APP_ID));
    qk::app::AgentProgram program(qk::Deployment::fromEnvironment());
    const qk::platform::QuitSignals quitSignals([&program] { program.requestQuit(); });
    if (program.start())
        application.exec();
    return 0;
}
