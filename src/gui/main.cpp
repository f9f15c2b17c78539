#include "core/datafolder.h"
#include "gui/app/frmmainfinder.h"
#include "gui/app/qtplatform.h"
#include "gui/app/statusprogress.h"
#include "sample/sampledata.h"
#include "startup/startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

/** The options of the window program; Qt's own (-platform and the like) are taken by QApplication first. */
struct WindowOptions {
    QCommandLineParser parser;
    QCommandLineOption dir{
        QStringLiteral("dir"),
        QStringLiteral("Work on the horses.mdb, settings and lists in DIR (default: the "
                       "program's own folder when it holds horses.mdb, else the data folder "
                       "~/.local/share/turftrawler)."),
        QStringLiteral("DIR")};
    WindowOptions()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Turf Trawler imports the weekly results files of an online horse-racing simulation into a "
            "database, horses.mdb, and searches them: every start of a horse, an owner or a race, with "
            "statistics, and the racing record of a stallion's progeny."));
        parser.addOption(dir);
        parser.addHelpOption();
        parser.addVersionOption();
    }
};

/** --help and --version are answered before anything needs a screen. */
static bool textOnly(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"--help", "-h", "--help-all", "--version", "-v"})
            if (qstrcmp(argv[i], option) == 0)
                return true;
    return false;
}

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("turftrawler"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TURF_VERSION));
    if (textOnly(argc, argv)) {
        QCoreApplication text(argc, argv);
        WindowOptions options;
        options.parser.parse(QCoreApplication::arguments());
        if (options.parser.isSet(QStringLiteral("help"))) {
            // The usage line names the program as it is installed, not the path it was started by.
            QString help = options.parser.helpText();
            help.replace(0, help.indexOf(QLatin1Char(' '), 7), QStringLiteral("Usage: turftrawler"));
            std::fputs(qPrintable(help), stdout);
            return 0;
        }
        options.parser.process(text); // --version, --help-all
        return 0;
    }

    QApplication app(argc, argv);
    WindowOptions options;
    options.parser.process(app);
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.turftrawler.TurfTrawler"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("io.github.turftrawler.TurfTrawler"),
                                                 QIcon(QStringLiteral(":/icons/turftrawler.png"))));
    // Qt's file dialogs keep their last folder and view in the user's settings as "QtProject": under the
    // program's own name, not beside every other Qt program's.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                           .filePath(QStringLiteral("turftrawler")));

    const DataFolder folder =
        chooseDataFolder(options.parser.value(options.dir), QCoreApplication::applicationDirPath());
    QtPlatform platform;
    if (folder.path.isEmpty()) {
        platform.message(noDataFolderMessage());
        return 1;
    }
    frmmainfinder window(platform, folder.path, breedingPathFor(folder.path));
    if (QDir(folder.path) == QDir(SampleData::folderFor(playerDataFolder())))
        window.setWindowTitle(window.windowTitle() + QStringLiteral(" (sample data)"));
    platform.setParentWidget(&window);
    platform.addLabel(QStringLiteral("lblprogress"), window.progressLabel());
    platform.addLabel(QStringLiteral("statusline"), window.statusProgress()->textLabel());
    // The player's own data folder is theirs to fill: its first run makes the empty database unasked.
    const bool own = folder.kind == DataFolder::Kind::PlayerData;
    if (!window.Form_Load(own ? MissingDatabase::Create : MissingDatabase::Ask))
        return 1;
    window.show();
    return app.exec();
}
