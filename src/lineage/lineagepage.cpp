#include "lineage/lineagepage.h"

#include "core/format.h"

#include <QStringDecoder>

namespace
{

constexpr qsizetype Missing = -1;

/** Marker searches over the page; Missing stands for a marker that is not there and spreads to every
    position computed from it. */
class Markers
{
public:
    explicit Markers(const QString& text) : m_text(text) {}

    qsizetype find(QLatin1StringView marker, qsizetype from) const
    {
        if (from < 0 || from > m_text.size())
            return Missing;
        return m_text.indexOf(marker, from);
    }
    static qsizetype plus(qsizetype pos, qsizetype n) { return pos < 0 ? Missing : pos + n; }
    /** The text from one position up to another; empty when either is missing or the end lies before the
        start, which only a page of another shape gives. */
    QString text(qsizetype from, qsizetype to) const
    {
        if (from < 0 || to < from || to > m_text.size())
            return {};
        return m_text.mid(from, to - from);
    }
    QChar at(qsizetype pos) const { return pos >= 0 && pos < m_text.size() ? m_text.at(pos) : QChar(); }

    /** The text from start up to an end marker, less endOffset characters. The end is searched from `from`,
       which may lie before start, so that an end among the characters skipped yields empty instead of the
       text up to some later end. */
    QString upTo(qsizetype from, qsizetype start, QLatin1StringView end, qsizetype endOffset = 0,
                 qsizetype* endPos = nullptr) const
    {
        const qsizetype e = find(end, from);
        if (endPos)
            *endPos = e;
        return text(start, plus(e, endOffset));
    }

private:
    const QString& m_text;
};

QString trimBlanks(const QString& s)
{
    qsizetype from = 0, to = s.size();
    while (from < to && s.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && s.at(to - 1) == QLatin1Char(' '))
        --to;
    return s.mid(from, to - from);
}

/** The description begins with one or two characters, a line break, then the rest; a bold part in it is
    where the page marks a horse bred by its owner. */
QString description(const Markers& m, qsizetype f, qsizetype k)
{
    if (f < 0 || k < 0)
        return {};
    const bool one = m.at(f + 1) == QLatin1Char('\r');
    const qsizetype rest = f + (one ? 3 : 4);
    if (k < rest)
        return {};
    QString d = m.text(f, f + (one ? 1 : 2)) + QLatin1Char(' ') + m.text(rest, k);
    const qsizetype bold = d.indexOf(QLatin1String("<b>"));
    if (bold >= 0) {
        const qsizetype end = d.indexOf(QLatin1String("</b>"), bold);
        if (end < 0)
            return {};
        d.replace(bold, end + 4 - bold, QStringLiteral("HOMEBRED"));
    }
    return d;
}

} // namespace

QString pageText(const QByteArray& body)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(body);
    return utf8.hasError() ? QString::fromLatin1(body) : text;
}

LineagePage parseLineagePage(const QString& page)
{
    const Markers m(page);
    const auto plus = &Markers::plus;
    LineagePage p;

    const qsizetype font4 = m.find(QLatin1String("font size=4"), 0);
    qsizetype t = Missing;
    p.name = Fmt::properCase(m.upTo(plus(font4, 11), plus(font4, 14), QLatin1String("</td>"), -2, &t));

    const qsizetype s = plus(m.find(QLatin1String("&idno=&name="), plus(t, -2)), 12);
    const qsizetype g = m.find(QLatin1String(">"), s);
    p.owner = trimBlanks(m.text(s, g)).toUpper();
    const qsizetype d = m.find(QLatin1String("$"), g);
    p.earnings = m.upTo(d, d, QLatin1String("</th>"));

    const qsizetype f = plus(m.find(QLatin1String("<font size=2>"), m.find(QLatin1String("ID#"), 0)), 13);
    p.description = description(m, f, m.find(QLatin1String("</font>"), f));

    const qsizetype b =
        plus(m.find(QLatin1String("<b>"), plus(m.find(QLatin1String("Divisional Ranking:"), f), 10)), 3);
    p.ranking = m.upTo(b, b, QLatin1String("</b>"));
    const QLatin1String cell("<td align=right>");
    const qsizetype c = plus(m.find(cell, plus(m.find(QLatin1String("Low Claim-Tag/6"), b), 10)), 16);
    p.claimTag = m.upTo(c, c, QLatin1String("</td>"), -4);
    const qsizetype n = plus(m.find(cell, plus(m.find(QLatin1String("Non M/C/O/S"), c), 10)), 16);
    p.nonMcosWins = m.upTo(n, n, QLatin1String("</td>"));

    // The three values after the 3-month one are simply the next bold texts, whatever labels them.
    qsizetype from = m.find(QLatin1String("3 months:"), 0);
    for (QString& wins : p.wins) {
        from = plus(m.find(QLatin1String("<b>"), from), 3);
        wins = m.upTo(from, from, QLatin1String("</b>"));
    }

    static const QLatin1String headings[] = {QLatin1String("Horse</th>"), QLatin1String("Sire</th>"),
                                             QLatin1String("Dam-Sire</th>"),
                                             QLatin1String("Sire's Sire</th>")};
    for (int row = 0; row < 4; ++row) {
        qsizetype start = plus(m.find(headings[row], 0), headings[row].size() + 1);
        for (QString& name : p.pedigree[std::size_t(row)]) {
            const qsizetype gt = m.find(QLatin1String(">"), plus(m.find(QLatin1String("<a"), start), 1));
            name = m.upTo(plus(gt, 1), plus(gt, 3), QLatin1String("</a"));
            start = plus(gt, 3);
        }
    }
    return p;
}

LineageState::LineageState()
{
    MSFlexGrid1.setBackColor(BackColor::Window);
    MSFlexGrid1.setColWidth(0, 1013);
    for (int c = 1; c < 4; ++c)
        MSFlexGrid1.setColWidth(c, 2309);
}

void showLineage(const LineagePage& page, const QString& id, LineageState& w)
{
    using Fmt::lines;
    w.lbllineage =
        QStringLiteral("Lineage of '") + page.name + QStringLiteral("'  (") + id + QLatin1Char(')');
    w.lblmisc = lines({QStringLiteral("Owner:   ") + page.owner, QString(), page.description, QString(),
                       QStringLiteral("Div. Ranking: ") + page.ranking,
                       QStringLiteral("Low Claim-Tag/6 Months: ") + page.claimTag,
                       QStringLiteral("Non M/C/O/S Wins: ") + page.nonMcosWins});
    w.lblwinstats =
        lines({QStringLiteral("Earnings:  ") + page.earnings, QString(), QStringLiteral("Wins in the last:"),
               QStringLiteral("3 months: ") + page.wins[0], QStringLiteral("6 months: ") + page.wins[1],
               QStringLiteral("9 months: ") + page.wins[2], QStringLiteral("Year: ") + page.wins[3]});

    GridState& g = w.MSFlexGrid1;
    static const char* const rowCaptions[] = {"Horse", "Sire", "Dam-Sire", "Sire's Sire"};
    static const char* const colCaptions[] = {"Sire Line", "Dam-Sire Line", "Dam's Dam-Sire Line"};
    for (int r = 1; r < 5; ++r)
        for (int c = 1; c < 4; ++c)
            g.setText(r, c, page.pedigree[std::size_t(r - 1)][std::size_t(c - 1)]);
    g.setCurrent(0, 1);
    for (int c = 1; c < 4; ++c)
        g.setText(0, c, QLatin1String(colCaptions[c - 1]));
    for (int r = 1; r < 5; ++r)
        g.setText(r, 0, QLatin1String(rowCaptions[r - 1]));
}
