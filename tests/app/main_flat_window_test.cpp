#include "shell/main_flat_window.h"

#include <QApplication>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

namespace byteloom {
namespace {

TEST(MainFlatWindow, OpensWithTheProgramTitleAndClosesFromTheFileMenu)
{
    MainFlatWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Byteloom RC7 3.0.0"));
    EXPECT_FALSE(window.session().document().IsOpen());

    QAction *exit = nullptr;
    for (QAction *menu : window.menuBar()->actions())
        for (QAction *item : menu->menu()->actions())
            if (item->text() == QStringLiteral("E&xit"))
                exit = item;
    ASSERT_NE(exit, nullptr);
    exit->trigger();
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace byteloom

int main(int argc, char **argv)
{
    // GUI tests run without a screen, here and in CI.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
