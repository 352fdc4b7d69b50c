#pragma once

#include "shell/main_flat_window.h"
#include "support/fake_prompts.h"
#include "support/temp_folder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
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

// Every field's label has an underlined letter that puts the focus in its field, and no two
// controls shown together share a letter.
inline void ExpectAccessKeys(const QWidget &window)
{
    std::map<QChar, QString> taken;
    const auto take = [&](const QString &text) {
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        if (amp < 0 || amp + 1 >= text.size())
            return;
        const QChar key = text.at(amp + 1).toLower();
        EXPECT_FALSE(taken.contains(key))
            << window.windowTitle().toStdString() << ": \"" << text.toStdString() << "\" and \""
            << taken[key].toStdString() << "\" share a key";
        taken[key] = text;
    };
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (!label->isVisibleTo(&window) || !label->buddy())
            continue;
        EXPECT_TRUE(label->text().contains(QLatin1Char('&')))
            << window.windowTitle().toStdString() << ": " << label->text().toStdString();
        take(label->text());
    }
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        // A field's label ends in a colon; one without a buddy reaches nothing.
        if (label->isVisibleTo(&window) && label->text().endsWith(QLatin1Char(':'))) {
            EXPECT_NE(label->buddy(), nullptr)
                << window.windowTitle().toStdString() << ": " << label->text().toStdString();
        }
    }
    for (const QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(&window))
            take(button->text());
    }
    for (const QGroupBox *group : window.findChildren<QGroupBox *>()) {
        if (group->isVisibleTo(&window))
            take(group->title());
    }
}

} // namespace byteloom::test
