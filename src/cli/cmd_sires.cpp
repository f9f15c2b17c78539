#include "cli/cli.h"
#include "cli/clisession.h"
#include "cli/gridoutput.h"

#include "core/startup.h"
#include "output/gridjson.h"
#include "output/textexport.h"
#include "progeny/getsires.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace
{

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char(' '));
}

int sires(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    bool ok = true;
    const QString position = takeOption(args, QStringLiteral("--as"), QStringLiteral("sire"), ok);
    const QString minimum = takeOption(args, QStringLiteral("--min"), QStringLiteral("5"), ok);
    const QString breeding = takeOption(args, QStringLiteral("--breeding"), breedingPathFor(c.dir), ok);
    const bool twoYearOlds = takeFlag(args, QStringLiteral("--2yo"));
    const bool json = takeFlag(args, QStringLiteral("--json"));
    GridOutputOptions output;
    QString error;
    if (!output.take(args, error)) {
        c.err << "turftrawler-cli sires: " << error << "\n";
        return 2;
    }
    if (!ok) {
        c.err << "turftrawler-cli sires: an option is missing its value\n";
        return 2;
    }
    if (args.size() != 1) {
        c.err << "turftrawler-cli sires: give one stallion name (quoted when it has blanks)\n";
        return 2;
    }
    ProgenySearchMode mode;
    if (position == QLatin1String("sire")) {
        mode = ProgenySearchMode::Sire;
    } else if (position == QLatin1String("damsire")) {
        mode = ProgenySearchMode::DamSire;
    } else if (position == QLatin1String("damdamsire")) {
        mode = ProgenySearchMode::DamDamSire;
    } else {
        c.err << "turftrawler-cli sires: --as takes sire, damsire or damdamsire, not " << position << "\n";
        return 2;
    }
    // The "#" box takes digits only.
    if (minimum.isEmpty() ||
        !std::all_of(minimum.begin(), minimum.end(), [](QChar ch) { return ch.isDigit(); })) {
        c.err << "turftrawler-cli sires: --min takes a whole number of starts, not " << minimum << "\n";
        return 2;
    }

    CliSession session(c.dir, breeding);
    if (!session.ok()) {
        c.err << "turftrawler-cli sires: " << oneLine(session.error()) << "\n";
        return 1;
    }
    MainWindowState& f = session.state;
    if (!f.panel.progenyEnabled) {
        c.err << "turftrawler-cli sires: the breeding file " << QDir::toNativeSeparators(breeding)
              << " does not exist\n";
        return 1;
    }
    f.panel.progenyMode = mode;
    f.panel.txtnum = minimum;
    f.panel.chk2yo = twoYearOlds;
    // The name box holds at most 25 characters.
    getsires(f, args.first().left(25));
    const qsizetype searchMessages = session.platform.messages.size();
    QJsonObject o;
    const int status = output.apply(f, session.platform, o, error);
    if (status == 2) {
        c.err << "turftrawler-cli sires: " << error << "\n";
        return 2;
    }

    const QStringList& messages = session.platform.messages;
    if (json) {
        o[QStringLiteral("MSFlexGrid1")] = gridToJson(f.MSFlexGrid1);
        o[QStringLiteral("MSFSRGrid")] = gridToJson(f.MSFSRGrid);
        o[QStringLiteral("MSFmaxgrid")] = gridToJson(f.MSFmaxgrid);
        o[QStringLiteral("frainfo")] = f.frainfo;
        o[QStringLiteral("lblfastest")] = f.lblfastest;
        o[QStringLiteral("messages")] = QJsonArray::fromStringList(messages);
        c.out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
    } else {
        // Every column of each grid: the sire layout has 19.
        const auto quoted = [](const GridState& g) { return QString::fromUtf8(exportText(g, g.cols())); };
        c.out << quoted(f.MSFlexGrid1) << "\n"
              << f.frainfo << "\n"
              << f.lblfastest << "\n\n"
              << quoted(f.MSFSRGrid) << "\n"
              << quoted(f.MSFmaxgrid);
        GridOutputOptions::writeText(c.out, o);
    }
    if (!messages.isEmpty()) {
        c.err << "turftrawler-cli sires: " << oneLine(messages.join(QLatin1Char(' '))) << "\n";
        // The print question is asked, not a refusal: only the search's own messages or a stopped step fail.
        if (searchMessages > 0)
            return 1;
    }
    return status;
}

CliRegistrar siresCommand{
    {QStringLiteral("sires"), CliGroup::Searches,
     QStringLiteral("NAME [--as sire|damsire|damdamsire] [--min N] [--2yo] [--breeding FILE] [--json] ") +
         GridOutputOptions::usage(),
     QStringLiteral(
         "Lists the racing record of a stallion's progeny. As sire, dam-sire or dam's dam-sire, from "
         "the breeding file (breeding.txt in the folder in use, else ~/qvl/breeding.txt)."),
     sires}};

} // namespace
