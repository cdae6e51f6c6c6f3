// The store agent's entry point: builds the program on the real platform services, shows
// the main window modeless and runs the event loop. The command line is ignored.
#include "app/agent_program.h"
#include "app/single_instance.h"
#include "platform/core_dumps.h"
#include "platform/quit_signals.h"

#include <QApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    // Before anything holds a secret: no core file, no memory readable by a debugger.
    qk::platform::disableCoreDumps();
    // A file past the user's file-size limit is a failed write the download reports (as a
    // full disk), not a signal that ends the agent mid-download.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(QK_APP_ID));
    const qk::Deployment deployment = qk::Deployment::fromEnvironment();

    // One agent per settings folder: a second start shows the running one and ends.
    qk::app::SingleInstance instance(deployment.settingsDir);
    if (instance.claim() == qk::app::SingleInstance::Role::Second) {
        if (!instance.askRunningAgentToShow()) {
            std::fprintf(stderr, "qk-agent: another agent uses these settings and did not answer\n");
            return 1;
        }
        std::printf("qk-agent: the agent already running for these settings was brought to the front\n");
        return 0;
    }
    instance.onShowRequest(&qk::app::bringAgentToFront);

    qk::app::AgentProgram program(deployment);
    const qk::platform::QuitSignals quitSignals([&program] { program.requestQuit(); });
    if (program.start())
        application.exec();
    return 0;
}
