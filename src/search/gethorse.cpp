#include "search/gethorse.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "db/nameindex.h"
#include "db/racekey.h"
#include "output/gridsettings.h"
#include "search/cellformat.h"
#include "search/horsestats.h"
#include "search/namewalk.h"
#include "search/searchquery.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace
{

using namespace SearchQuery;

constexpr int MaxListed = MaxListedStarts;
constexpr int AskAbove = 8000;

const QString noneFound = QStringLiteral("No horses under the search criteria were found.");
const QString nothingListed = QStringLiteral("Nothing found; the list is the one before.");

/** One listed start: its grid row, ready to write, and the facts the statistics count. */
using ListedStart = GridRow;

/** The panel texts a search needs as numbers, or the message that refuses them. */
struct Criteria {
    std::optional<double> lastWeekBound; // racenum must be below this for the walk to begin
    std::optional<int> firstWeek;
    int threshold = 0;
    QString error;
};

/** A panel text as a whole number: nullopt with the message in error when it is not one. */
std::optional<int> wholeNumber(const QString& text, const char* what, QString& error)
{
    const QString t = text.trimmed();
    const auto value = Fmt::isNumeric(t) ? Fmt::toInt32(t.toDouble()) : std::nullopt;
    if (!value)
        error = QStringLiteral("The %1 \"%2\" is not a number.").arg(QLatin1String(what), text);
    return value;
}

Criteria readCriteria(const PanelState& panel)
{
    Criteria c;
    const QString last = panel.txtlastweek.trimmed();
    if (!last.isEmpty()) {
        if (!Fmt::isNumeric(last)) {
            c.error = QStringLiteral("The last week \"%1\" is not a number.").arg(panel.txtlastweek);
            return c;
        }
        c.lastWeekBound = last.toDouble() + 1;
    }
    if (!panel.txtfirstweek.trimmed().isEmpty()) {
        c.firstWeek = wholeNumber(panel.txtfirstweek, "first week", c.error);
        if (!c.firstWeek)
            return c;
    }
    if (!panel.txtinjury.trimmed().isEmpty()) {
        const auto threshold = wholeNumber(panel.txtinjury, "speed threshold", c.error);
        if (!threshold)
            return c;
        c.threshold = *threshold;
    }
    return c;
}

std::uint8_t rowColour(const QString& cond, const QString& surf)
{
    const bool turf = surf == QLatin1String("T");
    if (cond == QLatin1String("F"))
        return turf ? Palette::DarkGreen : Palette::DarkRed;
    if (cond == QLatin1String("G"))
        return turf ? Palette::DarkCyan : Palette::DarkMagenta;
    if (cond == QLatin1String("S"))
        return Palette::DarkBlue;
    if (cond == QLatin1String("Y"))
        return Palette::DarkYellow;
    return Palette::Default;
}

/** Reads the result with the engine's own interface: a large owner search reads 15,000 rows of 17 fields. */
class Reader
{
public:
    explicit Reader(const Sql::Statement& s)
    {
        for (int i = 0; i < ColumnCount; ++i)
            m_at[std::size_t(i)] = {&s, i};
    }
    /** The columns of a start read apart from its race's, placed as SearchQuery::splitColumns() says. */
    Reader(const Sql::Statement& start, const Sql::Statement& race)
    {
        const auto split = splitColumns();
        for (std::size_t i = 0; i < split.size(); ++i)
            m_at[i] = {split[i].race ? &race : &start, split[i].index};
    }

    int type(int i) const { return s(i).columnType(at(i)); }
    bool isNull(int i) const { return type(i) == SQLITE_NULL; }
    std::string_view view(int i) const { return s(i).utf8(at(i)); }
    QString text(int i) const
    {
        const std::string_view v = view(i);
        return QString::fromUtf8(v.data(), qsizetype(v.size()));
    }
    /** A field as plain decimal text: whole numbers without a point, fractions in their shortest form. */
    QString plain(int i) const
    {
        switch (type(i)) {
        case SQLITE_NULL:
            return QString();
        case SQLITE_INTEGER:
            return CellFormat::number(s(i).integer(at(i)));
        case SQLITE_FLOAT:
            return CellFormat::plain(s(i).real(at(i)));
        default:
            return text(i);
        }
    }
    /** plain(), with the texts of whole numbers shared through a cache. */
    QString plain(int i, CellFormat::NumberCache<std::int64_t>& cache) const
    {
        if (type(i) != SQLITE_INTEGER)
            return plain(i);
        const std::int64_t v = s(i).integer(at(i));
        return cache.get(v, [v] { return CellFormat::number(v); });
    }
    double real(int i) const { return s(i).real(at(i)); }
    std::int64_t whole(int i) const
    {
        if (type(i) == SQLITE_FLOAT)
            return std::int64_t(Fmt::roundHalfEven(s(i).real(at(i))));
        return s(i).integer(at(i));
    }

private:
    struct At {
        const Sql::Statement* s = nullptr;
        int i = 0;
    };
    const Sql::Statement& s(int column) const { return *m_at[std::size_t(column)].s; }
    int at(int column) const { return m_at[std::size_t(column)].i; }
    std::array<At, ColumnCount> m_at;
};

/** What the rows of one search share: the track codes, the reference start and the texts seen so far. */
struct ReadContext {
    std::vector<QString> tracks; // by track number; an empty text for a number without a code
    std::int64_t refId = 0;
    std::string refName;
    std::string refOwner;
    CellFormat::TextCache names; // horse names in proper case
    CellFormat::TextCache owners;
    CellFormat::TextCache types;
    CellFormat::TextCache ages;
    CellFormat::TextCache conditions;
    CellFormat::TextCache surfaces;
    // Ids, purses, prices and earnings repeat from row to row, and so do distances, speeds and odds.
    CellFormat::NumberCache<std::int64_t> ids;
    CellFormat::NumberCache<std::int64_t> purses;
    CellFormat::NumberCache<std::int64_t> prices;
    CellFormat::NumberCache<std::int64_t> earnings;
    CellFormat::NumberCache<std::int64_t> counts; // places, field sizes, post positions, start numbers
    CellFormat::NumberCache<double> distances;
    CellFormat::NumberCache<double> speeds;
    CellFormat::NumberCache<double> odds;
};

/** Reads one start into its grid row and its facts. */
ListedStart readStart(const Reader& r, ReadContext& ctx)
{
    ListedStart out;
    StartFacts& f = out.facts;
    const std::string_view hname = r.view(ColHname);
    const std::int64_t hid = r.whole(ColHid);
    const std::string_view oname = r.view(ColOname);
    f.racenum = r.real(ColRacenum);
    out.racenum = f.racenum;
    f.dist = r.real(ColDist);
    f.sp = float(r.real(ColSp));
    f.restr = ctx.types.get(r.view(ColRestr));
    f.cond = ctx.conditions.get(r.view(ColCond));
    f.surf = ctx.surfaces.get(r.view(ColSurf));
    f.fin = int(r.whole(ColFin));
    f.purse = r.whole(ColPurse);
    f.cprice = r.whole(ColCprice);
    f.sameOwner = hid == ctx.refId && hname == ctx.refName && oname == ctx.refOwner;

    auto& c = out.cells;
    c[0] = ctx.names.get(hname, [&] { return Fmt::properCase(r.text(ColHname)); });
    c[1] = r.plain(ColHid, ctx.ids);
    c[2] = CellFormat::fixed(f.racenum, 4, 1);
    c[3] = ctx.ages.get(r.view(ColAge));
    // A track number without a code shows nothing.
    const int track = RaceKey::track(f.racenum);
    if (track >= 0 && std::size_t(track) < ctx.tracks.size())
        c[4] = ctx.tracks[std::size_t(track)];
    c[5] = f.restr;
    if (r.type(ColDist) == SQLITE_FLOAT)
        c[6] = ctx.distances.get(f.dist, [&] { return CellFormat::plain(f.dist); });
    else
        c[6] = r.plain(ColDist);
    c[7] = f.surf;
    if (!r.isNull(ColSp))
        c[8] = ctx.speeds.get(r.real(ColSp), [&] { return CellFormat::fixed(r.real(ColSp), 1, 2); });
    c[9] = r.plain(ColFin, ctx.counts);
    c[10] = r.plain(ColSize, ctx.counts);
    c[11] = r.plain(ColPpos, ctx.counts);
    c[12] = r.plain(ColPurse, ctx.purses);
    if (!r.isNull(ColOdds))
        c[13] = ctx.odds.get(r.real(ColOdds), [&] { return CellFormat::fixed(r.real(ColOdds), 2, 1); });
    const std::int64_t earned = startEarnings(f.purse, f.fin);
    c[14] = ctx.earnings.get(earned, [earned] { return CellFormat::number(earned); });
    c[15] = ctx.owners.get(oname);
    if (f.cprice > 0)
        c[16] = r.plain(ColCprice, ctx.prices);
    c[17] = r.plain(ColStart, ctx.counts);
    out.colour = rowColour(f.cond, f.surf);
    return out;
}

/** What the query and the walk found: the count of every start found, and the ones to list. */
struct Found {
    int count = 0;
    QString refOwner;
    std::vector<ListedStart> listed;
    QString error;
};

QString engineError(Database& db, const QString& what)
{
    db.fail(what);
    return db.error();
}

bool loadTracks(Database& db, std::vector<QString>& tracks, QString& error)
{
    Sql::Statement s = db.prepare("SELECT num, stcode FROM statecodes");
    const Reader r(s);
    while (s.next()) {
        // Track numbers are the two digits of a race key: 0 to 99.
        const std::int64_t num = s.integer(0);
        if (num < 0 || num > 99)
            continue;
        if (tracks.size() <= std::size_t(num))
            tracks.resize(std::size_t(num) + 1);
        tracks[std::size_t(num)] = r.text(1);
    }
    if (!s || s.failed()) {
        error = engineError(db, QStringLiteral("The track table cannot be read"));
        return false;
    }
    return true;
}

/** Binds the statement's parameters: texts, doubles (race keys) and whole numbers. */
bool bindAll(Sql::Statement& s, const QVariantList& binds)
{
    for (int i = 0; i < binds.size(); ++i)
        s.bindValue(i + 1, binds[i]);
    return s && !s.failed();
}

/**
 * The walk over the rows newest first: it begins at the newest start before the last week's end, and stops at
 * a start before the first week, at another owner (current owner only), or after 15,000 listed starts. The
 * first row of all, listed or not, is the reference for the statistics.
 */
class Walk
{
public:
    Walk(const Criteria& crit, bool currentOwnerOnly, ReadContext& ctx, Found& found)
        : m_crit(crit), m_currentOwnerOnly(currentOwnerOnly), m_ctx(ctx), m_found(found),
          m_begun(!crit.lastWeekBound.has_value())
    {
        // Room for a full grid at once: a list grown step by step would touch twice the memory, and only
        // the part a search fills is ever touched.
        m_found.listed.reserve(std::size_t(MaxListed));
    }
    bool walking() const { return m_walking; }
    bool listedAny() const { return !m_found.listed.empty(); }
    /** A start after the last week, once the first row gave the reference: the walk passes over it. */
    bool passesOver(double racenum) const
    {
        return !m_first && !m_begun && !(racenum < *m_crit.lastWeekBound);
    }

    void row(const Reader& r)
    {
        if (m_first) {
            m_first = false;
            m_found.refOwner = r.text(ColOname);
            m_ctx.refName = r.view(ColHname);
            m_ctx.refId = r.whole(ColHid);
            m_ctx.refOwner = r.view(ColOname);
        }
        if (!m_walking)
            return;
        const double racenum = r.real(ColRacenum);
        if (!m_begun) {
            if (!(racenum < *m_crit.lastWeekBound))
                return;
            m_begun = true; // the start where the walk begins is always listed
        } else if (!m_found.listed.empty() && ((m_currentOwnerOnly && r.view(ColOname) != m_ctx.refOwner) ||
                                               (m_crit.firstWeek && racenum < *m_crit.firstWeek))) {
            m_walking = false;
            return;
        }
        m_found.listed.push_back(readStart(r, m_ctx));
        if (m_found.listed.size() >= std::size_t(MaxListed))
            m_walking = false;
    }

private:
    const Criteria& m_crit;
    const bool m_currentOwnerOnly;
    ReadContext& m_ctx;
    Found& m_found;
    bool m_first = true;
    bool m_walking = true;
    bool m_begun;
};

/** Runs the statement, counting every row and walking them in the statement's order. */
Found runSearch(Database& db, const Statement& st, const Criteria& crit, bool currentOwnerOnly,
                ReadContext& ctx)
{
    Found found;
    Sql::Statement s = db.prepare(st.sql);
    if (!bindAll(s, st.binds)) {
        found.error = engineError(db, QStringLiteral("The search cannot be run"));
        return found;
    }
    const Reader r(s);
    Walk walk(crit, currentOwnerOnly, ctx, found);
    while (s.next()) {
        ++found.count;
        walk.row(r);
    }
    if (s.failed())
        found.error = engineError(db, QStringLiteral("The search failed"));
    return found;
}

/**
 * The search of a pattern through the names the name index found: the count is what the names hold, and the
 * starts are read newest first, window by window, only as far as the walk goes. Each start's race is read
 * as the walk comes to it, so races come in order and a start the walk does not list costs no race.
 */
Found runIndexedSearch(Database& db, const IndexedPattern& pattern, const NameIndex::Candidates& names,
                       const Criteria& crit, bool currentOwnerOnly, ReadContext& ctx)
{
    Found found;
    found.count = int(names.starts);
    NameWalk::Windows windows(db, pattern.column, names.names, {MaxListed, names.starts, crit.lastWeekBound});
    Sql::Statement race = db.prepare(raceOfStart());
    if (!windows.ok() || !race) {
        found.error = engineError(db, QStringLiteral("The search cannot be run"));
        return found;
    }
    Walk walk(crit, currentOwnerOnly, ctx, found);
    while (walk.walking()) {
        Sql::Statement* w = windows.next();
        if (!w)
            break;
        const Reader reader(*w, race);
        while (walk.walking() && w->next()) {
            const double racenum = w->real(WindowRaceKey);
            if (walk.passesOver(racenum))
                continue;
            // A start without its race is not listed, and one whose race is stored twice is listed twice,
            // as in a join.
            race.reset();
            race.bind(1, racenum);
            while (walk.walking() && race.next())
                walk.row(reader);
            if (race.failed())
                break;
        }
        if (w->failed() || race.failed()) {
            found.error = engineError(db, QStringLiteral("The search failed"));
            return found;
        }
        // Every start left lies before the first week, which ends a walk that has listed a start.
        if (crit.firstWeek && windows.low() <= *crit.firstWeek && walk.listedAny())
            break;
    }
    return found;
}

/** The names of an indexed pattern, when the database has the index and reading through it pays. */
std::optional<NameIndex::Candidates> indexedNames(Database& db, const std::optional<IndexedPattern>& pattern)
{
    if (!pattern || !NameIndex::present(db))
        return std::nullopt;
    const auto kind =
        pattern->column == QLatin1String("oname") ? NameIndex::Kind::Owner : NameIndex::Kind::Horse;
    auto names = NameIndex::candidates(db, kind, pattern->trigrams, pattern->range.lower,
                                       pattern->range.upper, pattern->like);
    if (!names ||
        !NameWalk::pays(db, names->names.size(), names->starts, MaxListed, pattern->trigrams.isEmpty()))
        return std::nullopt;
    return names;
}

/** Ends a search that lists nothing: the message (unless the list is run again), an empty progress text, the
    grid drawn again. */
void endEmpty(MainWindowState& f, const QString& message, SearchRun run = SearchRun::Asked)
{
    if (run == SearchRun::Asked)
        f.platform().message(message);
    f.setProgress(QString());
    f.MSFlexGrid1.setRedraw(true);
}

/** Fills the grid with the listed starts, whose texts move into it, and counts them into the statistics.
    Returns how many horses they are. */
int loadGrid(MainWindowState& f, std::vector<ListedStart>&& listed, HorseStats& stats)
{
    GridState& g = f.MSFlexGrid1;
    g.setRows(int(listed.size()) + 1);
    g.clear();
    // Widths the user dragged are written first, so that reading the file back keeps them.
    msfgridsavesettings(f);
    msfgridgetsettings(f);
    msfgridcaption(f);
    for (int c : {1, 2, 8, 11, 12, 13, 14, 16, 17})
        g.setCellAlign(0, c, Align::RightCenter);
    for (int c : {3, 5, 15})
        g.setColAlign(c, Align::LeftTop);
    g.setColAlign(14, Align::RightCenter);

    int row = 0;
    // Horses by their ids: the texts of one column, read as numbers, sorted and counted once each.
    std::vector<qint64> horses;
    horses.reserve(listed.size());
    for (ListedStart& s : listed) {
        ++row;
        for (int c = 0; c < 18; ++c)
            g.setText(row, c, std::move(s.cells[std::size_t(c)]));
        if (s.colour != Palette::Default)
            g.setRowColour(row, 0, 17, s.colour);
        stats.add(s.facts);
        horses.push_back(QStringView(g.text(row, 1)).toLongLong());
    }
    g.setCurrent(row, 0);
    g.touch();
    f.listedRows = row;
    std::sort(horses.begin(), horses.end());
    return int(std::unique(horses.begin(), horses.end()) - horses.begin());
}

/** The query: every start found, counted, and those to list walked newest first. */
Found findStarts(MainWindowState& f, const Statement& st, const std::optional<IndexedPattern>& indexed,
                 const Criteria& crit, ReadContext& ctx)
{
    Found found;
    Database db;
    if (!db.open(f.databasePath())) {
        found.error = db.error();
        return found;
    }
    if (loadTracks(db, ctx.tracks, found.error)) {
        // One read transaction: the names' counts and their starts come from one state of the file, and the
        // engine does not lock and unlock the file for each start read by its row.
        const Sql::Transaction reading(db.sql(), Sql::Transaction::Kind::Deferred);
        const auto names = indexedNames(db, indexed);
        found = names ? runIndexedSearch(db, *indexed, *names, crit, f.panel.chkowner, ctx)
                      : runSearch(db, st, crit, f.panel.chkowner, ctx);
    }
    if (!db.close() && found.error.isEmpty())
        found.error = db.error();
    return found;
}

/** What a list of starts shows beside the grid: whose starts they are, or what they are. */
struct Subject {
    QString text;
    SummaryKind kind = SummaryKind::Owner;
    bool asWritten = false;
    QString refOwner;
};

/** The listed starts in the normal layout, their statistics beside them and the summary below. */
void showRows(MainWindowState& f, const Subject& subject, std::vector<ListedStart>&& listed, int threshold)
{
    Platform& p = f.platform();
    // The layout changes only for rows to show: a search that lists nothing leaves the window as it was.
    showNormalLayout(f);
    HorseStats stats(threshold, p.today());
    stats.setReferenceOwner(subject.refOwner);
    const int horses = loadGrid(f, std::move(listed), stats);
    f.MSFlexGrid1.setRedraw(true);

    stats.fillWinGrid(f.MSFWGrid);
    stats.fillSpeedGrid(f.MSFSGrid);
    f.frainfo = stats.infoCaption(subject.text, subject.asWritten);
    f.setProgress(stats.summary(subject.kind, subject.text, p.shortDateFormat(), subject.asWritten));
    f.setStatusLine(Fmt::count(f.listedRows, QStringLiteral("start")) + QStringLiteral(" of ") +
                    Fmt::count(horses, QStringLiteral("horse")));
}

} // namespace

bool gethorse(MainWindowState& f, qint16 mode, const QString& name, const QString& id, SearchRun run)
{
    Platform& p = f.platform();
    // The texts may be cells of the grid that this search reloads: keep a copy.
    const QString subject = (mode == 3 || mode == 5) ? id : name;
    ListingSearch listing{ListingSearch::Kind::Starts, mode, name, id, f.panel};
    // Input that cannot be searched is refused before anything on the screen changes.
    const Statement st = build(mode, name, id);
    const std::optional<IndexedPattern> indexed = indexedPattern(mode, name);
    const Criteria crit = readCriteria(f.panel);
    if (!st.error.isEmpty() || !crit.error.isEmpty()) {
        p.message(!st.error.isEmpty() ? st.error : crit.error);
        f.setStatusLine(QStringLiteral("Search not run; the list is the one before."));
        return false;
    }

    BusyPointer busy(p);
    GridState& grid = f.MSFlexGrid1;
    grid.setRedraw(false);
    f.setProgress(QStringLiteral("Searching..."));

    ReadContext ctx;
    Found found = findStarts(f, st, indexed, crit, ctx);
    if (!found.error.isEmpty()) {
        endEmpty(f, found.error);
        return false;
    }
    if (found.count == 0) {
        endEmpty(f, noneFound, run);
        f.setStatusLine(nothingListed);
        return false;
    }
    if (found.count > AskAbove && run == SearchRun::Asked) {
        const QString question =
            QStringLiteral("There are %1 horses that match this query.  Proceed anyway?").arg(found.count) +
            QLatin1Char('\r') +
            QStringLiteral(
                "Note: the actual number of horses listed may be less than this amount, and also that "
                "the maximum number of horses that can be listed is 15,000 in this version.");
        if (p.askYesNo(question) != Platform::Answer::Yes) {
            grid.setRedraw(true);
            f.setStatusLine(QStringLiteral("Search not run; the list is the one before."));
            return false;
        }
    }
    // A last week before every start found leaves nothing to list.
    if (found.listed.empty()) {
        endEmpty(f, noneFound, run);
        f.setStatusLine(nothingListed);
        return false;
    }
    const SummaryKind kind = mode == 4   ? SummaryKind::Owner
                             : mode == 5 ? SummaryKind::Race
                                         : SummaryKind::Horse;
    showRows(f, {subject, kind, false, found.refOwner}, std::move(found.listed), crit.threshold);
    f.setListing(std::move(listing));
    return true;
}

namespace
{

/** Runs a prepared statement with its values bound and adds its rows, up to the limit. */
bool readInto(Database& db, Sql::Statement& s, const QVariantList& binds, ReadContext& ctx,
              std::vector<GridRow>& rows, QString& error, std::size_t limit)
{
    if (!bindAll(s, binds)) {
        error = engineError(db, QStringLiteral("The search cannot be run"));
        return false;
    }
    const Reader r(s);
    while (rows.size() < limit && s.next())
        rows.push_back(readStart(r, ctx));
    if (s.failed()) {
        error = engineError(db, QStringLiteral("The search failed"));
        return false;
    }
    return true;
}

} // namespace

bool readGridRows(Database& db, const QList<Statement>& statements, std::vector<GridRow>& rows,
                  QString& error)
{
    ReadContext ctx;
    if (!loadTracks(db, ctx.tracks, error))
        return false;
    for (const Statement& st : statements) {
        Sql::Statement s = db.prepare(st.sql);
        if (!readInto(db, s, st.binds, ctx, rows, error, std::numeric_limits<std::size_t>::max()))
            return false;
    }
    return true;
}

bool readGridRows(Database& db, const QString& sql, const std::vector<QVariantList>& runs,
                  std::vector<GridRow>& rows, QString& error, std::size_t limit)
{
    ReadContext ctx;
    if (!loadTracks(db, ctx.tracks, error))
        return false;
    Sql::Statement s = db.prepare(sql);
    for (const QVariantList& binds : runs) {
        if (rows.size() >= limit)
            break;
        s.reset();
        if (!readInto(db, s, binds, ctx, rows, error, limit))
            return false;
    }
    return true;
}

void showListedRows(MainWindowState& f, const QString& subject, std::vector<GridRow>&& rows)
{
    // The injury exclusion applies as in any search; a box that holds no number counts as none.
    QString ignored;
    const std::optional<int> threshold =
        f.panel.txtinjury.trimmed().isEmpty() ? std::nullopt : wholeNumber(f.panel.txtinjury, "", ignored);
    showRows(f, {subject, SummaryKind::Owner, true, QString()}, std::move(rows), threshold.value_or(0));
}

QString nameBoxText(qint16 mode, const QString& text)
{
    return mode == 4 ? text : text.left(25);
}

void listhorse_Click(MainWindowState& f)
{
    const GridState& g = f.MSFlexGrid1;
    const int r = g.row();
    const QString name = g.text(r, 0), id = g.text(r, 1);
    gethorse(f, 1, name, id);
}

static bool normalLayoutOrSay(MainWindowState& f)
{
    if (f.MSFmaxgrid.visible()) {
        f.platform().message(
            QStringLiteral("This option is only available after a horse, owner or race search."));
        return false;
    }
    return true;
}

void listrace_Click(MainWindowState& f)
{
    if (!normalLayoutOrSay(f))
        return;
    const GridState& g = f.MSFlexGrid1;
    const QString key = g.text(g.row(), 2);
    gethorse(f, 5, QString(), key);
}

void listowner_Click(MainWindowState& f)
{
    if (!normalLayoutOrSay(f))
        return;
    const GridState& g = f.MSFlexGrid1;
    const QString owner = g.text(g.row(), 15);
    gethorse(f, 4, owner, QString());
}
