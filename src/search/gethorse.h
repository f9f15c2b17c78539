#pragma once

#include "search/horsestats.h"
#include "search/searchquery.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class Database;
class MainWindowState;

/** Who runs a search: the player, or the window running a list again after the stored weeks changed, which
    neither asks before a long list nor says in a message that it found nothing. */
enum class SearchRun { Asked, Again };

/** Horse (modes 1 to 3), owner (4) and race (5) searches into the results grid and statistics. True when
    it listed starts; false after a message that refused or stopped it, or a declined count question. */
bool gethorse(MainWindowState& f, qint16 mode, const QString& name, const QString& id,
              SearchRun run = SearchRun::Asked);
/** The name "GO!" passes from the name box: horse names are stored cut to 25 characters and are searched
    so; an owner's name (mode 4) goes whole. */
QString nameBoxText(qint16 mode, const QString& text);
/** Pop-up "List Horse": searches the horse of the selected row. */
void listhorse_Click(MainWindowState& f);
/** Pop-up "List Race": searches the race of the selected row. */
void listrace_Click(MainWindowState& f);
/** Pop-up "List Owner": searches the owner of the selected row. */
void listowner_Click(MainWindowState& f);

/** One start as the results grid shows it: its 18 cell texts, its row colour and its race key, with the
    facts its statistics count. */
struct GridRow {
    std::array<QString, 18> cells;
    std::uint8_t colour = 0;
    double racenum = 0;
    StartFacts facts;
};
/** The grid rows of the starts that each statement (over SearchQuery::selectColumns()) finds, in order, for
    lists other than the results grid; false with `error` set when the database fails. */
bool readGridRows(Database& db, const QList<SearchQuery::Statement>& statements, std::vector<GridRow>& rows,
                  QString& error);
/** The same for one statement run once for each set of bound values (one start's key each, say), prepared
    once; at most `limit` rows. */
bool readGridRows(Database& db, const QString& sql, const std::vector<QVariantList>& runs,
                  std::vector<GridRow>& rows, QString& error, std::size_t limit);

/** The most starts the results grid lists. */
constexpr int MaxListedStarts = 15000;

/** Shows rows read by readGridRows as the result of a search: the normal layout, the grid, the statistics of
    the rows, frainfo and lblprogress as after an owner search, with the subject as written (it says what
    is listed, not whose starts). */
void showListedRows(MainWindowState& f, const QString& subject, std::vector<GridRow>&& rows);
