// Every dialog of the agent, built by the engine: controls are found by their id, inputs
// carry a name for screen readers, and Tab walks the controls in the order of the table.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "all_dialogs.h"
#include "recording_handler.h"
#include "ui/qt_dialog.h"

namespace {

namespace res = qk::ui::resources;
using qk::ui::ControlKind;

using qk::test::kAllDialogs;

bool takesInput(ControlKind kind)
{
    return kind == ControlKind::Edit || kind == ControlKind::PasswordEdit ||
           kind == ControlKind::DropDownList || kind == ControlKind::ListViewReport;
}

TEST(DialogAccessibility, ControlsAreNamedByIdAndInputsForScreenReaders)
{
    for (const qk::ui::DialogResource* resource : kAllDialogs) {
        SCOPED_TRACE(resource->id);
        qk::test::RecordingHandler handler;
        qk::ui::QtDialog dialog(*resource, handler, nullptr);
        for (const qk::ui::ControlSpec& row : resource->controls) {
            QWidget* widget = dialog.control(row.id);
            ASSERT_NE(widget, nullptr);
            EXPECT_EQ(widget->objectName(), QString::number(row.id));
            EXPECT_EQ(dialog.qtWidget()->findChild<QWidget*>(QString::number(row.id)), widget);
            if (takesInput(row.kind)) {
                EXPECT_FALSE(widget->accessibleName().isEmpty()) << "control " << row.id;
            }
        }
    }
}

TEST(DialogAccessibility, InputsTakeTheLabelBeforeThemOrElseTheirHint)
{
    qk::test::RecordingHandler handler;
    qk::ui::QtDialog account(res::accountDialogResource(), handler, nullptr);
    EXPECT_EQ(account.control(res::kAccountEmail)->accessibleName(),
              "Account Email (used for account login)");
    EXPECT_EQ(account.control(res::kAccountRepeatEmail)->accessibleName(), "Repeat Email");
    EXPECT_EQ(account.control(res::kAccountZipCode)->accessibleName(), "Billing Zip Code");
    EXPECT_EQ(account.control(res::kAccountCountry)->accessibleName(), "Country");
    // A section's heading names no input; a label whose text changes renames its input.
    EXPECT_EQ(account.control(res::kAccountFirstName)->accessibleName(), "First Name");
    account.setText(res::kAccountPasswordLabel, res::kUpdatePasswordLabel);
    EXPECT_EQ(account.control(res::kAccountPassword)->accessibleName(), "Optional New Password (do not use % or &)");
    qk::ui::QtDialog main(res::mainWindowResource(), handler, nullptr);
    EXPECT_EQ(main.control(res::kProductList)->accessibleName(), "Products");
    qk::ui::QtDialog coupon(res::couponDialogResource(), handler, nullptr);
    EXPECT_EQ(coupon.control(res::kCouponCode)->accessibleName(), "Coupon Code");
    auto* code = qobject_cast<QLineEdit*>(coupon.control(res::kCouponCode));
    EXPECT_TRUE(code->placeholderText().isEmpty()) << "a name for screen readers only";
    qk::ui::QtDialog login(res::loginDialogResource(), handler, nullptr);
    EXPECT_EQ(login.control(res::kLoginPassword)->accessibleName(), "Password");
}

TEST(DialogAccessibility, TabFollowsTheOrderOfTheTable)
{
    for (const qk::ui::DialogResource* resource : kAllDialogs) {
        SCOPED_TRACE(resource->id);
        qk::test::RecordingHandler handler;
        qk::ui::QtDialog dialog(*resource, handler, nullptr);
        std::vector<int> tableOrder;
        for (const qk::ui::ControlSpec& row : resource->controls) {
            if (dialog.control(row.id)->focusPolicy() & Qt::TabFocus)
                tableOrder.push_back(row.id);
        }
        std::vector<int> chainOrder;
        QWidget* window = dialog.qtWidget();
        for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
            bool isId = false;
            const int id = w->objectName().toInt(&isId);
            if (isId && dialog.control(id) == w && (w->focusPolicy() & Qt::TabFocus))
                chainOrder.push_back(id);
        }
        EXPECT_EQ(chainOrder, tableOrder);
    }
}

// Keyboard alone: Enter in any field completes the dialog through its default button (the
// edits that act on Enter themselves report it instead), and Escape anywhere cancels.
TEST(DialogKeyboard, EnterPressesTheDefaultButtonAndEscapeCancels)
{
    for (const qk::ui::DialogResource* resource : kAllDialogs) {
        SCOPED_TRACE(resource->id);
        int defaultButton = 1;  // without one, Enter is the OK command
        for (const qk::ui::ControlSpec& row : resource->controls) {
            if (row.kind == ControlKind::DefaultPushButton) {
                defaultButton = row.id;
                break;
            }
        }
        qk::test::RecordingHandler handler;
        qk::ui::QtDialog dialog(*resource, handler, nullptr);
        dialog.show();
        for (const qk::ui::ControlSpec& row : resource->controls) {
            const bool edit = row.kind == ControlKind::Edit || row.kind == ControlKind::PasswordEdit;
            QWidget* widget = dialog.control(row.id);
            if (!edit || !widget->isEnabled())
                continue;
            SCOPED_TRACE(row.id);
            handler.commands.clear();
            dialog.setFocus(row.id);
            QTest::keyClick(widget, Qt::Key_Return);
            QTest::keyClick(widget, Qt::Key_Escape);
            const qk::test::RecordedCommand enter =
                row.takesEnter ? qk::test::RecordedCommand{row.id, qk::ui::Notify::EnterPressed, 0}
                               : qk::test::RecordedCommand{defaultButton, qk::ui::Notify::Clicked, 0};
            EXPECT_EQ(handler.commands,
                      (std::vector<qk::test::RecordedCommand>{
                          enter, {qk::ui::kCancelCommand, qk::ui::Notify::Clicked, 0}}));
        }
    }
}

// Tab from a list goes on to the next control, as in the platform's list views, rather
// than from cell to cell; Shift+Tab comes back; the arrow keys move between rows.
TEST(DialogKeyboard, TabLeavesTheListsAndWalksTheMainWindowToExit)
{
    qk::test::RecordingHandler handler;
    qk::ui::QtDialog main(res::mainWindowResource(), handler, nullptr);
    main.listSetColumns(res::kProductList, {{"Product", 200}, {"Price", 60}});
    main.listAppendRows(res::kProductList, {{"Skylane", "29.95"}, {"Piper Cub", "14.95"}, {"Charts", "9.95"}});
    main.show();
    main.listSelectRow(res::kProductList, 0);
    main.setFocus(res::kProductList);
    QWidget* window = main.qtWidget();
    const auto focusedId = [window] { return window->focusWidget() ? window->focusWidget()->objectName() : QString(); };
    ASSERT_EQ(focusedId(), QString::number(res::kProductList));
    QTest::keyClick(window->focusWidget(), Qt::Key_Down);
    EXPECT_EQ(main.listFirstSelected(res::kProductList), 1);

    std::vector<QString> walked;
    const QString exitId = QString::number(res::kExit);
    while (walked.size() < 40 && (walked.empty() || walked.back() != exitId)) {
        QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
        walked.push_back(focusedId());
    }
    ASSERT_FALSE(walked.empty());
    EXPECT_EQ(walked.front(), QString::number(res::kApplyCoupon)) << "the first Tab leaves the list";
    EXPECT_EQ(walked.back(), exitId);
    EXPECT_EQ(std::count(walked.begin(), walked.end(), QString::number(res::kProductList)), 0);
    EXPECT_EQ(main.listFirstSelected(res::kProductList), 1) << "Tab does not move the selection";

    main.setFocus(res::kApplyCoupon);
    QTest::keyClick(window->focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(focusedId(), QString::number(res::kProductList));

    qk::ui::QtDialog cart(res::cartDialogResource(), handler, nullptr);
    cart.listSetColumns(res::kCartList, {{"Product", 200}, {"Price", 60}});
    cart.listAppendRows(res::kCartList, {{"Skylane", "29.95"}, {"Piper Cub", "14.95"}});
    cart.show();
    cart.listSelectRow(res::kCartList, 0);
    cart.setFocus(res::kCartList);
    QWidget* cartWindow = cart.qtWidget();
    QTest::keyClick(cartWindow->focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(cartWindow->focusWidget()->objectName(), QString::number(res::kCartRemove));
    QTest::keyClick(cartWindow->focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(cartWindow->focusWidget()->objectName(), QString::number(res::kCartList));
}

}  // namespace
