#include "common/path_text.h"
#include "platform/file_system.h"
#include "session/command_line.h"
#include "settings/settings_file.h"
#include "shell/artwork.h"
#include "shell/main_flat_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QSplashScreen>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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

// The editor's options. --help and --version answer without a display, so that they work in
// a terminal and for the manual page.
void DescribeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Byteloom, the hex editor for editing and translating console game ROM "
                       "images.\nWithout FILE the editor opens with no document. A FILE ending "
                       "in .tbl is loaded as a table (for a new document when no other FILE is "
                       "named)."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("table"),
                      QStringLiteral("Load TABLE as a table for the document (may be given more "
                                     "than once)."),
                      QStringLiteral("TABLE")});
    parser.addOption({QStringLiteral("offset"),
                      QStringLiteral("Put the caret on byte N (hexadecimal) of the document."),
                      QStringLiteral("N")});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The file to open, and tables to load."),
                                 QStringLiteral("[FILE...]"));
}

void NameTheProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("byteloom"));
    QCoreApplication::setOrganizationName(QStringLiteral("Byteloom"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BYTELOOM_VERSION));
}

std::vector<std::string> ToStrings(const QStringList &list)
{
    std::vector<std::string> strings;
    for (const QString &item : list)
        strings.push_back(item.toStdString());
    return strings;
}

} // namespace

int main(int argc, char **argv)
{
    const bool onlyAsking = [&] {
        for (int i = 1; i < argc; ++i) {
            const std::string_view word = argv[i];
            if (word == "--help" || word == "-h" || word == "--help-all" || word == "--version"
                || word == "-v")
                return true;
        }
        return false;
    }();
    if (onlyAsking) {
        QCoreApplication application(argc, argv);
        NameTheProgram();
        QCommandLineParser parser;
        DescribeOptions(parser);
        parser.process(application); // prints and ends the program
        return 0;
    }
    if (!HasDisplay()) {
        std::fputs("byteloom: no display found (DISPLAY is not set). Run Byteloom on a desktop, "
                   "or under xvfb-run.\n",
                   stderr);
        return 1;
    }
    byteloom::RemoveTemporaryFilesOnSignals();
    QApplication application(argc, argv);
    NameTheProgram();
    QCommandLineParser parser;
    DescribeOptions(parser);
    // A wrong option ends the program with status 2, as byteloom-cli does.
    if (!parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "byteloom: %s\n", parser.errorText().toLocal8Bit().constData());
        return 2;
    }
    std::optional<std::int64_t> offset;
    if (parser.isSet(QStringLiteral("offset"))) {
        offset = byteloom::ReadOffsetOption(parser.value(QStringLiteral("offset")).toStdString());
        if (!offset) {
            std::fprintf(stderr,
                         "byteloom: --offset %s is not a hexadecimal number\n",
                         parser.value(QStringLiteral("offset")).toLocal8Bit().constData());
            return 2;
        }
    }
    // The settings keep the names they have always had.
    QApplication::setApplicationName(QStringLiteral("Byteloom"));
    QApplication::setWindowIcon(byteloom::ApplicationIcon());

    // The settings file stays where earlier versions kept it.
    byteloom::SettingsFile store(
        byteloom::PathOfText(
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString())
            / "Byteloom" / "Byteloom.ini",
        byteloom::RealFileSystem());
    const byteloom::Status settingsRead = store.Load();
    byteloom::MainFlatWindow window;
    window.UseSettingsStore(&store, settingsRead);
    window.OpenStartupFiles(
        byteloom::SortStartupFiles(ToStrings(parser.positionalArguments()),
                                   ToStrings(parser.values(QStringLiteral("table"))),
                                   [](const std::string &path) {
                                       std::error_code error;
                                       return std::filesystem::exists(path, error);
                                   }),
        offset);

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
