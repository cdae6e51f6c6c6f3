// Every dialog as the engine builds it from its table, at the scale the test runs with
// (CTest runs this file at 100 %, 150 % and 200 %): each control inside the window, no
// text cut, and no two controls overlapping that the table keeps apart.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "all_dialogs.h"
#include "recording_handler.h"
#include "support/scripted_qt_dialogs.h"
#include "ui/qt_dialog.h"

namespace {

using qk::ui::ControlKind;
using qk::ui::ControlSpec;

bool tableOverlaps(const ControlSpec& a, const ControlSpec& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

std::string scaleName()
{
    return std::to_string(static_cast<int>(qApp->devicePixelRatio() * 100 + 0.5));
}

TEST(DialogLayout, EveryControlFitsItsWindowAndShowsItsWholeText)
{
    for (const qk::ui::DialogResource* resource : qk::test::kAllDialogs) {
        SCOPED_TRACE(resource->id);
        qk::test::RecordingHandler handler;
        qk::ui::QtDialog dialog(*resource, handler, nullptr);
        dialog.show();
        QApplication::processEvents();
        qk::test::expectTextsFit(dialog, *resource);

        if (const char* kept = std::getenv("QK_SCREENSHOT_DIR")) {
            const auto path = std::filesystem::path(kept) /
                              ("dialog" + std::to_string(resource->id) + "@" + scaleName() + ".png");
            EXPECT_TRUE(qk::ui::grabToPng(dialog, path.string()));
        }
    }
}

TEST(DialogLayout, ControlsTheTableKeepsApartStayApart)
{
    for (const qk::ui::DialogResource* resource : qk::test::kAllDialogs) {
        SCOPED_TRACE(resource->id);
        qk::test::RecordingHandler handler;
        qk::ui::QtDialog dialog(*resource, handler, nullptr);
        const auto& rows = resource->controls;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            for (std::size_t j = i + 1; j < rows.size(); ++j) {
                if (tableOverlaps(rows[i], rows[j]) || rows[i].kind == ControlKind::GroupBox ||
                    rows[j].kind == ControlKind::GroupBox)
                    continue;
                EXPECT_FALSE(dialog.control(rows[i].id)->geometry().intersects(dialog.control(rows[j].id)->geometry()))
                    << rows[i].id << " and " << rows[j].id;
            }
        }
    }
}

}  // namespace
