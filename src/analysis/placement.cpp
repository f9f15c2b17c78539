#include "analysis/placement.h"

#include "core/format.h"
#include "db/database.h"
#include "search/searchquery.h"

#include <QJsonArray>

#include <algorithm>

namespace Analysis
{

namespace
{

/** True when the horse has won any stored start, whatever its week. */
std::optional<bool> hasWon(Database& db, std::int32_t hid)
{
    Sql::Statement s = db.prepare("SELECT 1 FROM tblhorsedata WHERE hid = ?1 AND fin = 1 LIMIT 1");
    s.bind(1, qint64(hid));
    const bool won = s.next();
    if (!s || s.failed()) {
        db.fail(QStringLiteral("The horse's starts cannot be read"));
        return std::nullopt;
    }
    return won;
}

QJsonObject bandJson(const Band& b)
{
    return {{QStringLiteral("class"), b.raceClass.restr},
            {QStringLiteral("price"), qint64(b.raceClass.price)},
            {QStringLiteral("category"), categoryName(b.category)},
            {QStringLiteral("trip"), tripName(b.trip)}};
}

std::optional<double> parOf(const Pars& pars, const Band& band)
{
    const ParRow* row = pars.find(band);
    return row ? row->par : std::nullopt;
}

} // namespace

Result<std::int32_t> horseOf(Database& db, const QString& idOrName)
{
    const QString text = idOrName.trimmed();
    if (Fmt::isWholeNumber(text)) {
        bool ok = false;
        const int id = text.toInt(&ok);
        if (ok)
            return std::int32_t(id);
    }
    const SearchQuery::Statement st = SearchQuery::build(2, text.left(25), QString());
    if (!st.error.isEmpty())
        return Result<std::int32_t>::failure(st.error);
    Sql::Statement s = db.prepare(st.sql);
    for (int i = 0; i < st.binds.size(); ++i)
        s.bindValue(i + 1, st.binds[i]);
    if (s.next())
        return std::int32_t(s.integer(SearchQuery::ColHid));
    if (!s || s.failed()) {
        db.fail(QStringLiteral("The horse cannot be looked up"));
        return Result<std::int32_t>::failure(db.error());
    }
    return Result<std::int32_t>::failure(QStringLiteral("No horse is named \"%1\".").arg(text));
}

Result<Placement> placement(Database& db, const Weeks& weeks, std::int32_t hid)
{
    WindowRequest one;
    one.hid = hid;
    one.owners = true;
    one.names = true;
    const auto horse = WindowData::read(db, weeks, one);
    if (!horse)
        return Result<Placement>::failure(horse.error());
    if (horse->starts().empty())
        return Result<Placement>::failure(
            QStringLiteral("Horse %1 has no start in %2.").arg(hid).arg(weeks.text()));
    auto pars = classPars(db, weeks);
    const auto won = pars ? hasWon(db, hid) : std::nullopt;
    if (!pars || !won)
        return Result<Placement>::failure(pars ? db.error() : pars.error());

    Placement p;
    p.hid = hid;
    p.pars = std::move(*pars);
    const HorseSpan& span = horse->horses().front();
    const StartRow& newest = horse->starts().back();
    p.name = horse->texts().text(newest.name);
    p.owner = horse->texts().text(newest.owner);
    for (int c = 0; c < CategoryCount; ++c)
        p.form[std::size_t(c)] = horse->formFigure(span, Category(c));
    p.last = horse->band(horse->raceOf(newest));
    p.lastPar = parOf(p.pars, p.last);
    for (const ParRow& r : p.pars.rows) {
        const auto& form = p.form[std::size_t(r.band.category)];
        if (!r.par || !form || *form - *r.par < 0 || (*won && r.band.raceClass.isMaiden()))
            continue;
        p.rows.push_back({r.band, *r.par, *form, *form - *r.par, r.purse, r.winners});
    }
    std::stable_sort(p.rows.begin(), p.rows.end(), [](const PlacementRow& a, const PlacementRow& b) {
        return a.purse != b.purse ? a.purse > b.purse : a.margin > b.margin;
    });
    return p;
}

QJsonObject placementJson(const Placement& p)
{
    QJsonObject last = bandJson(p.last);
    last.insert(QStringLiteral("par"),
                jsonNumber(p.lastPar ? std::optional(rounded(*p.lastPar, 1)) : p.lastPar));
    QJsonArray rows;
    for (const PlacementRow& r : p.rows) {
        QJsonObject row = bandJson(r.band);
        row.insert(QStringLiteral("par"), rounded(r.par, 1));
        row.insert(QStringLiteral("form"), r.form);
        row.insert(QStringLiteral("margin"), rounded(r.margin, 1));
        row.insert(QStringLiteral("purse"), qint64(r.purse));
        row.insert(QStringLiteral("winners"), r.winners);
        rows.append(row);
    }
    QJsonObject form;
    for (int c = 0; c < CategoryCount; ++c)
        form.insert(categoryName(Category(c)), jsonNumber(p.form[std::size_t(c)]));
    return {{QStringLiteral("hid"), p.hid},     {QStringLiteral("name"), p.name},
            {QStringLiteral("owner"), p.owner}, {QStringLiteral("form"), form},
            {QStringLiteral("last"), last},     {QStringLiteral("rows"), rows}};
}

QString placementHeading(const Placement& p)
{
    QStringList forms;
    for (int c = 0; c < CategoryCount; ++c) {
        const auto& f = p.form[std::size_t(c)];
        forms << QStringLiteral("%1 %2").arg(categoryName(Category(c)),
                                             f ? Fmt::fixed(*f, 2) : QStringLiteral("none"));
    }
    return QStringLiteral("%1 (%2), %3, %4\nForm: %5\nLast: %6, par %7\n")
        .arg(p.name)
        .arg(p.hid)
        .arg(p.owner, p.pars.weeks.text(), forms.join(QStringLiteral(", ")), p.last.text(),
             p.lastPar ? Fmt::fixed(*p.lastPar, 1) : QStringLiteral("none"));
}

AnalysisTable placementTable(const Placement& p)
{
    AnalysisTable t;
    t.columns = {{QStringLiteral("Class"), false},    {QStringLiteral("Price"), true},
                 {QStringLiteral("Category"), false}, {QStringLiteral("Trip"), false},
                 {QStringLiteral("Par"), true},       {QStringLiteral("Form"), true},
                 {QStringLiteral("Margin"), true},    {QStringLiteral("Purse"), true},
                 {QStringLiteral("Winners"), true}};
    for (const PlacementRow& r : p.rows) {
        const QString doubt = r.winners < SureParWinners ? QStringLiteral("?") : QString();
        t.rows.push_back({{Cell::plain(r.band.raceClass.restr), priceCell(r.band.raceClass.price),
                           Cell::plain(categoryName(r.band.category)), Cell::plain(tripName(r.band.trip)),
                           Cell::number(r.par, 1, doubt), Cell::number(r.form, 2), Cell::number(r.margin, 1),
                           Cell::money(r.purse), Cell::whole(r.winners)},
                          QString()});
    }
    return t;
}

StartListing placementWinners(const Placement& p, const PlacementRow& row)
{
    const ParRow* par = p.pars.find(row.band);
    return par ? parWinners(p.pars, *par) : StartListing{};
}

} // namespace Analysis
