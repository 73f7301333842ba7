// What holds for every window table: each control has its own name, containers and bound
// controls are rows of the table, and the tab order has no gaps.
#include "ui/examwindow.h"
#include "ui/identitywindow.h"
#include "ui/loginwindow.h"
#include "ui/noticewindow.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace examclient::ui {
namespace {

class WindowTableTest : public ::testing::TestWithParam<const WindowFactory*> {};

TEST_P(WindowTableTest, NamesAreUniqueContainersExistAndBindingsNameControls)
{
    const WindowDefinition definition = GetParam()->build();
    EXPECT_EQ(definition.name, GetParam()->name);

    std::set<std::string> names;
    for (const ControlDefinition& control : definition.controls)
        EXPECT_TRUE(names.insert(control.name).second) << "twice: " << control.name;
    for (const ControlDefinition& control : definition.controls) {
        if (control.container) {
            EXPECT_TRUE(names.contains(control.container)) << control.name << " in " << control.container;
        }
    }
    for (const EventBinding& binding : definition.bindings)
        EXPECT_TRUE(names.contains(binding.control)) << binding.control;
}

TEST_P(WindowTableTest, TabOrderCountsFromZeroWithoutGaps)
{
    const WindowDefinition definition = GetParam()->build();
    std::set<int> orders;
    for (const ControlDefinition& control : definition.controls) {
        if (control.tabOrder >= 0) {
            EXPECT_TRUE(orders.insert(control.tabOrder).second) << control.name;
        }
    }
    int expected = 0;
    for (const int order : orders)
        EXPECT_EQ(order, expected++);
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowTableTest,
                         ::testing::Values(&loginWindow(), &identityWindow(), &noticeWindow(), &examWindow()),
                         [](const ::testing::TestParamInfo<const WindowFactory*>& info) {
                             return std::string(info.param->name);
                         });

} // namespace
} // namespace examclient::ui
