#pragma once

#include <QString>

#include <functional>

class MainWindowState;
class Platform;
struct LineageState;

/** The simulation's site (scheme, host and port): TURFTRAWLER_SITE when set, else the simulation's own. */
QString lineageSite();
/** The address of one horse's page on a site; the id is used as the grid shows it. */
QString lineagePageAddress(const QString& site, const QString& id);

/** Fetches one page with the busy pointer on; the page text, empty when nothing was received. */
QString GetHTMLPage(Platform& platform, const QString& url);

/**
 * "Get Lineage Info.": looks up the horse of the results grid's selected row on the site and writes its
 * lineage and statistics into the lineage window, which `window` loads on first use. False when a message or
 * the user's No stopped the request, leaving the window untouched; true when the window is to be shown.
 */
bool getlineage_Click(MainWindowState& f, const QString& site, const std::function<LineageState&()>& window);
