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

#include <algorithm>
#include <optional>

namespace
{

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char(' '));
}

/** The command's options, as the panel would hold them. */
struct SiresOptions {
    ProgenySearchMode mode = ProgenySearchMode::Sire;
    QString minimum;
    QString breeding;
    bool twoYearOlds = false;
    bool json = false;
    QString name;
    GridOutputOptions output;
};

/** Takes the arguments apart; nullopt after a line on err when they are not usable. */
std::optional<SiresOptions> parseSires(CliContext& c, QStringList args)
{
    SiresOptions o;
    bool ok = true;
    const QString position = takeOption(args, QStringLiteral("--as"), QStringLiteral("sire"), ok);
    o.minimum = takeOption(args, QStringLiteral("--min"), QStringLiteral("5"), ok);
    o.breeding = takeOption(args, QStringLiteral("--breeding"), breedingPathFor(c.dir), ok);
    o.twoYearOlds = takeFlag(args, QStringLiteral("--2yo"));
    o.json = takeFlag(args, QStringLiteral("--json"));
    QString error;
    const auto refuse = [&c](const QString& why) {
        c.err << "turftrawler-cli sires: " << why << "\n";
        return std::nullopt;
    };
    if (!o.output.take(args, error))
        return refuse(error);
    if (!ok)
        return refuse(QStringLiteral("an option is missing its value"));
    if (args.size() != 1)
        return refuse(QStringLiteral("give one stallion name (quoted when it has blanks)"));
    o.name = args.first();
    if (position == QLatin1String("sire"))
        o.mode = ProgenySearchMode::Sire;
    else if (position == QLatin1String("damsire"))
        o.mode = ProgenySearchMode::DamSire;
    else if (position == QLatin1String("damdamsire"))
        o.mode = ProgenySearchMode::DamDamSire;
    else
        return refuse(QStringLiteral("--as takes sire, damsire or damdamsire, not ") + position);
    // The "#" box takes digits only.
    if (o.minimum.isEmpty() ||
        !std::all_of(o.minimum.begin(), o.minimum.end(), [](QChar ch) { return ch.isDigit(); }))
        return refuse(QStringLiteral("--min takes a whole number of starts, not ") + o.minimum);
    return o;
}

/** The grids and texts of the sire layout: as JSON, or each grid as the text export writes it. */
void printSires(CliContext& c, MainWindowState& f, const QStringList& messages, QJsonObject& o, bool json)
{
    if (json) {
        o[QStringLiteral("MSFlexGrid1")] = gridToJson(f.MSFlexGrid1);
        o[QStringLiteral("MSFSRGrid")] = gridToJson(f.MSFSRGrid);
        o[QStringLiteral("MSFmaxgrid")] = gridToJson(f.MSFmaxgrid);
        o[QStringLiteral("frainfo")] = f.frainfo;
        o[QStringLiteral("lblfastest")] = f.lblfastest;
        o[QStringLiteral("messages")] = QJsonArray::fromStringList(messages);
        c.out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
        return;
    }
    // Every column of each grid: the sire layout has 19.
    const auto quoted = [](const GridState& g) { return QString::fromUtf8(exportText(g, g.cols())); };
    c.out << quoted(f.MSFlexGrid1) << "\n"
          << f.frainfo << "\n"
          << f.lblfastest << "\n\n"
          << quoted(f.MSFSRGrid) << "\n"
          << quoted(f.MSFmaxgrid);
    GridOutputOptions::writeText(c.out, o);
}

int sires(CliContext& c, const QStringList& arguments)
{
    std::optional<SiresOptions> options = parseSires(c, arguments);
    if (!options)
        return 2;
    CliSession session(c.dir, options->breeding);
    if (!session.ok()) {
        c.err << "turftrawler-cli sires: " << oneLine(session.error()) << "\n";
        return 1;
    }
    MainWindowState& f = session.state;
    if (!f.panel.progenyEnabled) {
        c.err << "turftrawler-cli sires: the breeding file " << QDir::toNativeSeparators(options->breeding)
              << " does not exist\n";
        return 1;
    }
    f.panel.progenyMode = options->mode;
    f.panel.txtnum = options->minimum;
    f.panel.chk2yo = options->twoYearOlds;
    // The name box holds at most 25 characters.
    getsires(f, options->name.left(25));
    const qsizetype searchMessages = session.platform.messages.size();
    QJsonObject o;
    QString error;
    const int status = options->output.apply(f, session.platform, o, error);
    if (status == 2) {
        c.err << "turftrawler-cli sires: " << error << "\n";
        return 2;
    }
    const QStringList& messages = session.platform.messages;
    printSires(c, f, messages, o, options->json);
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
