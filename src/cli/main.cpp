#include "cli/cli.h"

#include "core/datafolder.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIODevice>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

std::vector<CliCommand>& cliCommands()
{
    static std::vector<CliCommand> commands;
    return commands;
}

QString takeOption(QStringList& args, const QString& name, const QString& fallback, bool& ok)
{
    const qsizetype i = args.indexOf(name);
    if (i < 0)
        return fallback;
    // The next option is not a value: "--sire --json" lacks the sire's name.
    if (i + 1 >= args.size() || args.at(i + 1).startsWith(QLatin1String("--"))) {
        ok = false;
        args.removeAt(i);
        return fallback;
    }
    const QString value = args.at(i + 1);
    args.remove(i, 2);
    return value;
}

bool takeFlag(QStringList& args, const QString& name)
{
    return args.removeAll(name) > 0;
}

void writeUtf8(QTextStream& stream, const QByteArray& text)
{
    stream.flush();
    if (QIODevice* device = stream.device())
        device->write(text);
    else
        stream << QString::fromUtf8(text);
}

/** The command that argv names, skipping --dir and its value; null for none or an unknown one. */
static const CliCommand* commandIn(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--dir") == 0) {
            ++i;
            continue;
        }
        for (const CliCommand& c : cliCommands())
            if (c.name == QLatin1String(argv[i]))
                return &c;
        return nullptr;
    }
    return nullptr;
}

static const char* heading(CliGroup group)
{
    switch (group) {
    case CliGroup::Database:
        return "Database commands";
    case CliGroup::Import:
        return "Import commands";
    case CliGroup::Searches:
        return "Search commands";
    case CliGroup::Analyses:
        return "Analysis commands";
    case CliGroup::Output:
        return "Output commands";
    case CliGroup::Care:
        return "Care commands";
    case CliGroup::Lists:
        return "List commands";
    }
    return "";
}

/** The first sentence of a command's summary: its line in the command list. */
static QString brief(const CliCommand& c)
{
    const qsizetype end = c.summary.indexOf(QLatin1String(". "));
    QString text = end < 0 ? c.summary : c.summary.left(end);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

static void usage(QTextStream& s)
{
    s << "Usage: turftrawler-cli [--dir DIR] COMMAND [ARGUMENTS]\n"
         "Works on Turf Trawler's race database from the command line: imports weekly results files, "
         "searches\n"
         "them and prints what the window would show.\n\n"
         "Options:\n"
         "  --dir DIR      the folder in use: its horses.mdb, settings and lists (default: the program's "
         "own\n"
         "                 folder when it holds horses.mdb, else the data folder "
         "~/.local/share/turftrawler)\n"
         "  -h, --help     list the commands\n"
         "  -v, --version  print the version\n";
    std::vector<const CliCommand*> sorted;
    for (const CliCommand& c : cliCommands())
        sorted.push_back(&c);
    std::sort(sorted.begin(), sorted.end(), [](const CliCommand* a, const CliCommand* b) {
        return std::pair(int(a->group), a->name) < std::pair(int(b->group), b->name);
    });
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i == 0 || sorted[i]->group != sorted[i - 1]->group)
            s << "\n" << heading(sorted[i]->group) << ":\n";
        s << "  " << sorted[i]->name.leftJustified(14) << " " << brief(*sorted[i]) << "\n";
    }
    s << "\n\"turftrawler-cli help COMMAND\" or \"turftrawler-cli COMMAND --help\" describes a command.\n"
         "Exit status: 0 on success; 1 when the command failed or a message stopped it, with one line on\n"
         "standard error; 2 for a usage error.\n";
}

static void commandHelp(QTextStream& s, const CliCommand& c)
{
    s << "Usage: turftrawler-cli [--dir DIR] " << c.name;
    if (!c.arguments.isEmpty())
        s << " " << c.arguments;
    s << "\n" << c.summary << "\n";
}

/**
 * Starting the offscreen platform looks up the session's runtime folder, and Qt warns (in its default
 * category, beside real errors) when there is none or it is not private, as under cron, ssh or in a
 * container. Nothing is kept there: a private folder for the run serves, and the warning has no cause.
 */
static std::unique_ptr<QTemporaryDir> privateRuntimeDir()
{
    const QFileInfo current(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    constexpr auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                            QFile::WriteOther | QFile::ExeOther;
    if (!current.filePath().isEmpty() && current.isDir() && current.ownerId() == ::geteuid() &&
        !(current.permissions() & others))
        return nullptr;
    auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/turftrawler-cli-XXXXXX"));
    if (dir->isValid() &&
        QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir->path()));
    return dir;
}

int main(int argc, char** argv)
{
    // Pages for a PDF need the fonts of a graphical application, and a chart the widgets of one; neither
    // shows a window, so the offscreen platform serves, with or without a screen.
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<QTemporaryDir> runtimeDir;
    bool pages = false;
    for (int i = 1; i < argc; ++i)
        pages = pages || qstrcmp(argv[i], "--pdf") == 0;
    const CliCommand* command = commandIn(argc, argv);
    if (command && (command->widgets || pages)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        runtimeDir = privateRuntimeDir();
    }
    if (command && command->widgets)
        app = std::make_unique<QApplication>(argc, argv);
    else if (command && pages)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QTextStream out(stdout), err(stderr);
    QStringList args = QCoreApplication::arguments().mid(1);
    bool ok = true;
    const QString given = takeOption(args, QStringLiteral("--dir"), QString(), ok);
    if (!ok || (args.size() < QCoreApplication::arguments().size() - 1 && given.isEmpty())) {
        err << "turftrawler-cli: --dir needs a directory\n";
        return 2;
    }
    const QString first = args.value(0);
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        out << "turftrawler-cli " << TURF_VERSION << "\n";
        return 0;
    }
    if (args.isEmpty() || first == QLatin1String("--help") || first == QLatin1String("-h") ||
        (first == QLatin1String("help") && args.size() == 1)) {
        usage(args.isEmpty() ? err : out);
        return args.isEmpty() ? 2 : 0;
    }
    const bool help = first == QLatin1String("help");
    if (help)
        args.removeFirst();
    const QString name = args.takeFirst();
    for (const CliCommand& c : cliCommands()) {
        if (c.name != name)
            continue;
        if (help || args.contains(QLatin1String("--help"))) {
            commandHelp(out, c);
            return 0;
        }
        const QString dir = chooseDataFolder(given, QCoreApplication::applicationDirPath()).path;
        if (dir.isEmpty()) {
            err << "turftrawler-cli: " << noDataFolderMessage() << "\n";
            return 1;
        }
        CliContext context{dir, !given.isEmpty(), out, err};
        const int status = c.run(context, args);
        out.flush();
        err.flush();
        return status;
    }
    err << "turftrawler-cli: unknown command " << name << " (try --help)\n";
    return 2;
}
