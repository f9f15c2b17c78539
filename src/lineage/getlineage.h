#pragma once

#include "core/platform.h"

#include <QString>

#include <functional>
#include <optional>

class MainWindowState;
struct LineageState;

/** The simulation's site (scheme, host and port): TURFTRAWLER_SITE when set, else the simulation's own. */
QString lineageSite();
/** The address of one horse's page on a site; the id is sent percent-encoded. */
QString lineagePageAddress(const QString& site, const QString& id);

/** A lineage request of the results grid's selected row, checked and ready to be fetched. */
struct LineageRequest {
    QString id;   // as the grid shows it
    QString name; // the grid row's horse name, compared with the page's
    QString site;
    QString url;
};

/**
 * The first steps of "Get Lineage Info.": the grid must show a horse, a selection on the caption row moves to
 * row 1, and the row's id must be a number. nullopt after the message that stopped it.
 */
std::optional<LineageRequest> lineageRequest(MainWindowState& f, const QString& site);

/**
 * The page text of a fetch's answer; empty, with why set to the cause ("HTTP 404 Not Found"), when nothing
 * usable was received.
 */
QString pageOf(const Platform::HttpResult& answer, QString& why);

/** Fetches one page with the busy pointer on, waiting for it: the page text, or empty with why set. */
QString GetHTMLPage(Platform& platform, const QString& url, QString& why);

/**
 * The steps after the fetch: the connection message when no page came (the site and `why` on its second
 * line), the question when the page names another horse, then the lineage window's texts, which `window`
 * loads on first use. False when a message or the user's No stopped it, leaving the window untouched; true
 * when the window is to be shown.
 */
bool showFetchedLineage(Platform& platform, const LineageRequest& request, const QString& page,
                        const QString& why, const std::function<LineageState&()>& window);

/**
 * "Get Lineage Info." with a fetch that waits for the page: the request, the fetch and what follows it, as
 * above. False when a message or the user's No stopped the request; true when the window is to be shown.
 */
bool getlineage_Click(MainWindowState& f, const QString& site, const std::function<LineageState&()>& window);
