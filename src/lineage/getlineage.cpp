#include "lineage/getlineage.h"

#include "core/mainwindowstate.h"
#include "lineage/lineagepage.h"

QString lineageSite()
{
    const QString site = qEnvironmentVariable("TURFTRAWLER_SITE");
    return site.isEmpty() ? QStringLiteral("http://www.stridemark.com") : site;
}

QString lineagePageAddress(const QString& site, const QString& id)
{
    QString base = site;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QStringLiteral("/hr/runtime/onehoss.asp?hossnum=") + id;
}

QString GetHTMLPage(Platform& platform, const QString& url)
{
    BusyPointer busy(platform);
    const Platform::HttpResult r = platform.httpGet(url);
    return r.ok ? pageText(r.body) : QString();
}

bool getlineage_Click(MainWindowState& f, const QString& site, const std::function<LineageState&()>& window)
{
    Platform& platform = f.platform();
    GridState& grid = f.MSFlexGrid1;
    const auto noHorse = [&] {
        platform.message(
            QStringLiteral("Please search and find a horse prior to requesting lineage information."));
        return false;
    };
    // A grid with only its caption row, or a row without an id, has no horse to look up either.
    if (grid.rows() < 2 || (grid.rows() == 2 && grid.text(1, 0).isEmpty()))
        return noHorse();
    if (grid.rowSel() == 0)
        grid.setRow(1);
    const int row = grid.rowSel();
    if (grid.text(row, 1).trimmed().isEmpty())
        return noHorse();
    const QString id = grid.text(row, 1);
    const QString page = GetHTMLPage(platform, lineagePageAddress(site, id));
    if (page.isEmpty()) {
        platform.message(QStringLiteral("Connection with Stridemark was not successful.  Please check your "
                                        "internet connection and try again."));
        return false;
    }
    const LineagePage values = parseLineagePage(page);
    if (values.name != grid.text(row, 0) &&
        platform.askYesNo(
            QStringLiteral("Warning: This horse no longer exists in the sim.  Do you wish to view "
                           "the current horse who has this ID number?")) != Platform::Answer::Yes)
        return false;
    showLineage(values, id, window());
    return true;
}
