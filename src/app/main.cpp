// The store agent's entry point: builds the program on the real platform services, shows
// the main window modeless and runs the event loop. The command line is ignored.
#include "app/agent_program.h"
#include "platform/core_dumps.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Before anything holds a secret: no core file, no memory readable by a debugger.
    qk::platform::disableCoreDumps();
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(QK_APP_ID));
    qk::app::AgentProgram program(qk::Deployment::fromEnvironment());
    if (program.start())
        application.exec();
    return 0;
}
