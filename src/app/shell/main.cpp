#include "shell/main_flat_window.h"

#include <QApplication>

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

} // namespace

int main(int argc, char **argv)
{
    if (!HasDisplay()) {
        std::fputs("byteloom: no display found (DISPLAY is not set). Run Byteloom on a desktop, "
                   "or under xvfb-run.\n",
                   stderr);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Byteloom"));
    QApplication::setOrganizationName(QStringLiteral("Byteloom"));
    byteloom::MainFlatWindow window;
    window.show();
    return QApplication::exec();
}
