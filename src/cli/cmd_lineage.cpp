#include "cli/cli.h"

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "lineage/getlineage.h"
#include "lineage/httpconnection.h"
#include "lineage/lineagepage.h"
#include "output/gridjson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace
{

/** Scripted answers, but the pages come from the site. */
class NetworkPlatform : public HeadlessPlatform
{
public:
    HttpResult httpGet(const QString& url) override
    {
        requestedUrls << url;
        return m_connection.get(url);
    }

private:
    HttpConnection m_connection;
};

QString shown(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

int lineage(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    bool ok = true;
    const QString site = takeOption(args, QStringLiteral("--site"), lineageSite(), ok);
    const bool yes = takeFlag(args, QStringLiteral("--yes"));
    const bool json = takeFlag(args, QStringLiteral("--json"));
    if (!ok || args.size() != 2) {
        c.err << "turftrawler-cli lineage: give an id and a name (and --site with an address)\n";
        return 2;
    }

    // The lookup needs only the grid row, not the database.
    NetworkPlatform platform;
    platform.defaultAnswer = yes ? Platform::Answer::Yes : Platform::Answer::No;
    MainWindowState f(platform, c.dir, QString());
    f.MSFlexGrid1.setText(1, 0, args.at(1));
    f.MSFlexGrid1.setText(1, 1, args.at(0));
    f.MSFlexGrid1.setCurrent(1, 0);
    LineageState w;
    const bool shownWindow = getlineage_Click(f, site, [&]() -> LineageState& { return w; });

    if (json) {
        const QJsonObject out{
            {QStringLiteral("lbllineage"), w.lbllineage},
            {QStringLiteral("lblmisc"), w.lblmisc},
            {QStringLiteral("lblwinstats"), w.lblwinstats},
            {QStringLiteral("MSFlexGrid1"), gridToJson(w.MSFlexGrid1)},
            {QStringLiteral("messages"), QJsonArray::fromStringList(platform.messages)},
        };
        c.out << QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented));
    } else {
        for (const QString& m : platform.messages)
            c.err << shown(m) << "\n";
        if (shownWindow) {
            c.out << w.lbllineage << "\n\n" << shown(w.lblmisc) << "\n\n" << shown(w.lblwinstats) << "\n\n";
            for (int r = 0; r < w.MSFlexGrid1.rows(); ++r) {
                QStringList row;
                for (int col = 0; col < w.MSFlexGrid1.cols(); ++col)
                    row << w.MSFlexGrid1.text(r, col);
                c.out << row.join(QLatin1Char('\t')) << "\n";
            }
        }
    }
    return shownWindow ? 0 : 1;
}

CliRegistrar lineageCommand{
    {QStringLiteral("lineage"), CliGroup::Searches, QStringLiteral("ID NAME [--site URL] [--yes] [--json]"),
     QStringLiteral("Prints a horse's lineage from the simulation's site. Its statistics "
                    "and pedigree, as the lineage window shows them; needs no database."),
     lineage}};

} // namespace
