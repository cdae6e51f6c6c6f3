// agent-icons OUT_DIR SIZE...
// Writes OUT_DIR/<SIZE>.png for each size: the agent's icon, SIZE x SIZE pixels.
#include "ui/agent_icon.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: agent-icons OUT_DIR SIZE...\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        const long size = std::strtol(argv[i], &end, 10);
        if (end == argv[i] || *end != '\0' || size < 1 || size > 1024) {
            std::fprintf(stderr, "agent-icons: bad size '%s'\n", argv[i]);
            return 2;
        }
        const QString path = outDir + '/' + QString::number(size) + ".png";
        if (!qk::ui::agentIconImage(static_cast<int>(size)).save(path, "PNG")) {
            std::fprintf(stderr, "agent-icons: cannot write %s\n", path.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
