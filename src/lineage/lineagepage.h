#pragma once

#include "core/gridstate.h"

#include <QByteArray>
#include <QString>

#include <array>

/**
 * What one horse's page on the simulation's site says, taken apart by the fixed pieces of HTML around each
 * value. A value whose piece is missing from the page stays empty, and so does every value that is found
 * from its position: nothing is ever read from a place the page does not mark.
 */
struct LineagePage {
    QString name; // in proper case
    QString owner;
    QString earnings;
    QString description;
    QString ranking;
    QString claimTag;
    QString nonMcosWins;
    /** Wins in the last 3, 6 and 9 months and the last year. */
    std::array<QString, 4> wins;
    /** Rows Horse, Sire, Dam-Sire, Sire's Sire; columns sire line, dam-sire line, dam's dam-sire line. */
    std::array<std::array<QString, 3>, 4> pedigree;
};

/** The page body as text: UTF-8 when it is valid UTF-8, else one character per byte. */
QString pageText(const QByteArray& body);
LineagePage parseLineagePage(const QString& page);

/** What the lineage window shows, without its widgets; a fresh one is the window as it loads. */
struct LineageState {
    LineageState();
    QString lbllineage = QStringLiteral("Lineage For");
    QString lblmisc;
    QString lblwinstats;
    GridState MSFlexGrid1{5, 4, 1, 1};
};

/** Writes a page's values into the window: the heading (with the grid row's id), both labels, every cell. */
void showLineage(const LineagePage& page, const QString& id, LineageState& w);
