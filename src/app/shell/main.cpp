#include "platform/interrupt_cleanup.h"
#include "settings/qsettings_store.h"
#include "shell/artwork.h"
#include "shell/command_line.h"
#include "shell/main_flat_window.h"

#include <QApplication>
#include <QScreen>
#include <QSplashScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt would abort with a message about platform plugins; say it plainly.
bool HasDisplay()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

constexpr int kSplashMilliseconds = 3000;

} // namespace

int main(int argc, char **argv)
{
    if (!HasDisplay()) {
        std::fputs("byteloom: no display found (DISPLAY is not set). Run Byteloom on a desktop, "
                   "or under xvfb-run.\n",
                   stderr);
        return 1;
    }
    byteloom::RemoveTemporaryFilesOnSignals();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Byteloom"));
    QApplication::setOrganizationName(QStringLiteral("Byteloom"));
    QApplication::setWindowIcon(byteloom::ApplicationIcon());

    byteloom::QSettingsStore store;
    byteloom::MainFlatWindow window;
    window.UseSettingsStore(&store);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.OpenStartupFile(byteloom::UnquoteCommandLinePath(
            arguments.mid(1).join(QLatin1Char(' ')).toStdString()));

    if (window.session().options().showSplash) {
        auto *splash = new QSplashScreen(byteloom::SplashPicture());
        splash->setAttribute(Qt::WA_DeleteOnClose);
        splash->show();
        QTimer::singleShot(kSplashMilliseconds, splash, [splash, &window] {
            splash->close();
            window.show();
        });
    } else {
        window.show();
    }
    return QApplication::exec();
}
