#pragma once

#include "dialogs/tab_order.h"
#include "shell/main_flat_window.h"
#include "support/fake_prompts.h"
#include "support/temp_folder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>

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
        if (!button->isVisibleTo(&window))
            continue;
        // A choice is reached by its letter; OK and Cancel by Enter and Escape.
        if (qobject_cast<const QCheckBox *>(button) || qobject_cast<const QRadioButton *>(button)) {
            EXPECT_TRUE(button->text().contains(QLatin1Char('&')))
                << window.windowTitle().toStdString() << ": " << button->text().toStdString();
        }
        take(button->text());
    }
    for (const QGroupBox *group : window.findChildren<QGroupBox *>()) {
        if (group->isVisibleTo(&window))
            take(group->title());
    }
}

// Radio buttons that exclude each other are one stop for Tab (arrows choose among them).
inline QObject *StopOf(QWidget *widget)
{
    auto *radio = qobject_cast<QRadioButton *>(widget);
    return radio && radio->autoExclusive() ? widget->parent() : widget;
}

// Where Tab stands when the widget has the focus: an editable box's line edit stands for the box.
inline QObject *FocusStop(QWidget *focused, const std::set<QObject *> &stops)
{
    for (QWidget *widget = focused; widget; widget = widget->parentWidget()) {
        if (stops.contains(StopOf(widget)))
            return StopOf(widget);
    }
    return focused;
}

// Tab and Shift+Tab each visit every control of the shown dialog and come back round, and
// Alt with a label's letter puts the focus in the label's field.
inline void ExpectKeyboardReachesEverything(QDialog &dialog)
{
    const std::string title = dialog.windowTitle().toStdString();
    // The offscreen platform leaves the main window active under a modal dialog.
    QApplication::setActiveWindow(&dialog);
    std::set<QObject *> stops;
    for (QWidget *widget : dialog.findChildren<QWidget *>()) {
        if (widget->isVisible() && widget->isEnabled() && !widget->focusProxy()
            && (widget->focusPolicy() & Qt::TabFocus) != 0)
            stops.insert(StopOf(widget));
    }
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        std::set<QObject *> visited;
        for (std::size_t press = 0; press < 2 * stops.size() + 2; ++press) {
            QWidget *focused = QApplication::focusWidget();
            ASSERT_NE(focused, nullptr) << title;
            visited.insert(FocusStop(focused, stops));
            QTest::keyClick(focused, key);
        }
        for (QObject *stop : stops) {
            EXPECT_TRUE(visited.contains(stop))
                << title << ": " << (key == Qt::Key_Tab ? "Tab" : "Shift+Tab") << " never reaches "
                << stop->metaObject()->className() << " \""
                << stop->property("text").toString().toStdString() << "\" "
                << stop->objectName().toStdString();
        }
    }
    // A group's title reaches its field from wherever the focus was in the group (a plain
    // group would go back to the control that had it last).
    for (QGroupBox *group : dialog.findChildren<QGroupBox *>()) {
        const qsizetype amp = group->title().indexOf(QLatin1Char('&'));
        if (!group->isVisible() || group->isCheckable() || amp < 0)
            continue;
        auto *fieldGroup = qobject_cast<FieldGroup *>(group);
        ASSERT_NE(fieldGroup, nullptr) << title << ": " << group->title().toStdString();
        const auto parts = group->findChildren<QWidget *>();
        const auto last = std::find_if(parts.rbegin(), parts.rend(), [](const QWidget *part) {
            return part->isVisible() && part->isEnabled() && (part->focusPolicy() & Qt::TabFocus);
        });
        ASSERT_NE(last, parts.rend());
        (*last)->setFocus();
        QTest::keyClick(*last, group->title().at(amp + 1).toLatin1(), Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), fieldGroup->Field())
            << title << ": " << group->title().toStdString();
    }
    for (QLabel *label : dialog.findChildren<QLabel *>()) {
        const qsizetype amp = label->text().indexOf(QLatin1Char('&'));
        if (!label->isVisible() || !label->buddy() || amp < 0 || !label->buddy()->isEnabled())
            continue;
        QTest::keyClick(
            QApplication::focusWidget(), label->text().at(amp + 1).toLatin1(), Qt::AltModifier);
        EXPECT_TRUE(label->buddy()->isAncestorOf(QApplication::focusWidget())
                    || label->buddy() == QApplication::focusWidget())
            << title << ": " << label->text().toStdString();
    }
}

} // namespace byteloom::test
