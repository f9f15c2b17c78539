#include "cli/cli.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIODevice>

#include <cstdio>
#include <memory>

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
    if (i + 1 >= args.size()) {
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

static void usage(QTextStream& s)
{
    s << "usage: turftrawler-cli [--dir DIR] COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const CliCommand& c : cliCommands())
        s << "  " << c.usage << "\n";
}

int main(int argc, char** argv)
{
    // Pages for a PDF need the fonts of a graphical application, and a chart the widgets of one; neither
    // shows a window, so the offscreen platform serves, with or without a screen.
    std::unique_ptr<QCoreApplication> app;
    bool pages = false;
    for (int i = 1; i < argc; ++i)
        pages = pages || qstrcmp(argv[i], "--pdf") == 0;
    const CliCommand* command = commandIn(argc, argv);
    if (command && command->widgets) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else if (pages) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout), err(stderr);
    QStringList args = QCoreApplication::arguments().mid(1);
    bool ok = true;
    const QString dir = takeOption(args, QStringLiteral("--dir"), QCoreApplication::applicationDirPath(), ok);
    if (!ok) {
        err << "turftrawler-cli: --dir needs a directory\n";
        return 2;
    }
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("help")) {
        usage(args.isEmpty() ? err : out);
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    for (const CliCommand& c : cliCommands()) {
        if (c.name == name) {
            CliContext context{dir, out, err};
            const int status = c.run(context, args);
            out.flush();
            err.flush();
            return status;
        }
    }
    err << "turftrawler-cli: unknown command " << name << " (try --help)\n";
    return 2;
}
