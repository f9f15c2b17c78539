#include "lineage/getlineage.h"

#include "core/mainwindowstate.h"
#include "lineage/lineagepage.h"

#include <QUrl>

#include <algorithm>

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
    return base + QStringLiteral("/hr/runtime/onehoss.asp?hossnum=") +
           QString::fromLatin1(QUrl::toPercentEncoding(id));
}

std::optional<LineageRequest> lineageRequest(MainWindowState& f, const QString& site)
{
    Platform& platform = f.platform();
    GridState& grid = f.MSFlexGrid1;
    const auto noHorse = [&]() -> std::optional<LineageRequest> {
        platform.message(
            QStringLiteral("Please search and find a horse prior to requesting lineage information."));
        return std::nullopt;
    };
    // A grid with only its caption row, or a row without an id, has no horse to look up either.
    if (grid.rows() < 2 || (grid.rows() == 2 && grid.text(1, 0).isEmpty()))
        return noHorse();
    if (grid.rowSel() == 0)
        grid.setRow(1);
    const int row = grid.rowSel();
    const QString id = grid.text(row, 1);
    if (id.trimmed().isEmpty())
        return noHorse();
    // An id is the number the site knows the horse by; anything else would change the request itself.
    if (!std::all_of(id.begin(), id.end(),
                     [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); })) {
        platform.message(
            QStringLiteral("The id \"%1\" is not a horse's number; its lineage cannot be looked up.")
                .arg(id));
        return std::nullopt;
    }
    return LineageRequest{id, grid.text(row, 0), site, lineagePageAddress(site, id)};
}

QString pageOf(const Platform::HttpResult& answer, QString& why)
{
    if (!answer.ok) {
        why = answer.error;
        return {};
    }
    const QString page = pageText(answer.body);
    if (page.isEmpty())
        why = QStringLiteral("The page is empty.");
    return page;
}

QString GetHTMLPage(Platform& platform, const QString& url, QString& why)
{
    BusyPointer busy(platform);
    return pageOf(platform.httpGet(url), why);
}

bool showFetchedLineage(Platform& platform, const LineageRequest& request, const QString& page,
                        const QString& why, const std::function<LineageState&()>& window)
{
    if (page.isEmpty()) {
        // The Part's sentence stays as it is; the second line says which site was asked and what went wrong.
        const QUrl asked(request.url);
        platform.message(QStringLiteral("Connection with Stridemark was not successful.  Please check your "
                                        "internet connection and try again.") +
                         QLatin1Char('\r') +
                         asked.toString(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery |
                                        QUrl::RemoveFragment) +
                         QStringLiteral(": ") + why);
        return false;
    }
    const LineagePage values = parseLineagePage(page);
    if (values.name != request.name &&
        platform.askYesNo(
            QStringLiteral("Warning: This horse no longer exists in the sim.  Do you wish to view "
                           "the current horse who has this ID number?")) != Platform::Answer::Yes)
        return false;
    showLineage(values, request.id, window());
    return true;
}

bool getlineage_Click(MainWindowState& f, const QString& site, const std::function<LineageState&()>& window)
{
    const std::optional<LineageRequest> request = lineageRequest(f, site);
    if (!request)
        return false;
    QString why;
    const QString page = GetHTMLPage(f.platform(), request->url, why);
    return showFetchedLineage(f.platform(), *request, page, why, window);
}
