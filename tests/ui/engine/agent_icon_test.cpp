// The agent's icon: the window icon and the desktop icon files are one drawing.
#include "ui/agent_icon.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace qk::ui {
namespace {

TEST(AgentIcon, WindowIconIsTheDrawingTheDesktopFilesAreMadeFrom)
{
    const QIcon icon = iconById(kAgentIconId);
    ASSERT_FALSE(icon.isNull());
    for (const int size : {16, 32, 48}) {
        const QImage drawn = agentIconImage(size).convertToFormat(QImage::Format_ARGB32);
        const QImage shown = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(shown.size(), QSize(size, size)) << size;
        EXPECT_EQ(shown, drawn) << size;
    }
    EXPECT_TRUE(iconById(kAgentIconId + 1).isNull());
}

TEST(AgentIcon, LargeSizesKeepTheRoundedTileAndItsTransparentCorners)
{
    for (const int size : {24, 64, 128, 256}) {
        const QImage image = agentIconImage(size);
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_TRUE(image.hasAlphaChannel());
        // The rounded corners stay see-through; the tile and the bag are solid.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0) << size;
        EXPECT_EQ(image.pixelColor(size / 2, size / 20 + 1).alpha(), 255) << size;
        EXPECT_EQ(image.pixelColor(size * 3 / 10, size * 7 / 10), QColor(Qt::white)) << size;
    }
}

}  // namespace
}  // namespace qk::ui
