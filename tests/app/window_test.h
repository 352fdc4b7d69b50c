#pragma once

#include "shell/main_flat_window.h"
#include "support/fake_prompts.h"
#include "support/temp_folder.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace byteloom::test {

// A main window whose questions a script answers, shown and active on the offscreen platform.
class WindowTest : public testing::Test
{
protected:
    WindowTest()
    {
        auto owned = std::make_unique<FakePrompts>();
        prompts = owned.get();
        window = std::make_unique<MainFlatWindow>(std::move(owned));
        window->resize(1000, 600);
        window->show();
        Activate();
    }

    // The offscreen platform gives the focus back to no window when a dialog closes.
    void Activate()
    {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // Runs open (a key, a command) and answer inside the modal dialog it opens; a dialog still
    // open afterwards is cancelled. Returns whether a dialog opened.
    bool WithDialog(const std::function<void()> &open, const std::function<void(QDialog &)> &answer)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            opened = true;
            answer(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        open();
        Activate();
        return opened;
    }

    TempFolder folder;
    FakePrompts *prompts = nullptr;
    std::unique_ptr<MainFlatWindow> window;
};

} // namespace byteloom::test
