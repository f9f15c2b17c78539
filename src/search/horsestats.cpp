#include "search/horsestats.h"

#include "core/format.h"
#include "core/gridstate.h"
#include "search/searchquery.h"

#include <QStringList>

#include <charconv>
#include <cmath>

namespace
{

constexpr int FirstBucket = 5;
constexpr int LastBucket = 12;

QString dash(std::initializer_list<int> values, const char* sep)
{
    QString out;
    bool first = true;
    for (int v : values) {
        if (!first)
            out += QLatin1String(sep);
        out += QString::number(v);
        first = false;
    }
    return out;
}

} // namespace

std::int64_t startEarnings(std::int64_t purse, int fin)
{
    static constexpr double share[] = {0, 0.6, 0.25, 0.08, 0.05, 0.02};
    if (fin < 1 || fin > 5)
        return 0;
    return static_cast<std::int64_t>(Fmt::roundHalfEven(double(purse) * share[fin]));
}

int weekDay(int week)
{
    return 35997 + week;
}

QString speedText(float value)
{
    // A single-precision figure such as 87.35 is held as 87.3499985; it is shown as the decimal it stands
    // for, so that a half rounds up as the user reads it.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const double decimal = QByteArray(buffer, int(result.ptr - buffer)).toDouble();
    return Fmt::fixed(decimal, 1, 1);
}

HorseStats::HorseStats(int threshold, const QDate& today)
    : m_threshold(threshold), m_today(int(QDate(1899, 12, 30).daysTo(today)))
{
}

int HorseStats::bucket(double dist)
{
    // Anything shorter than the "4-5" column (never run in practice) goes with it.
    const double whole = std::trunc(dist);
    if (!(whole > FirstBucket))
        return FirstBucket;
    if (whole > LastBucket)
        return LastBucket;
    return int(whole);
}

int HorseStats::category(const QString& cond, const QString& surf)
{
    if (cond == QLatin1String("F"))
        return surf == QLatin1String("T") ? 1 : 0;
    return 2;
}

void HorseStats::add(const StartFacts& s)
{
    const int week = int(std::floor(s.racenum));
    const int day = weekDay(week);

    if (day + 175 > m_today && s.cprice != 0 && s.restr != QLatin1String("Str") && s.cprice < m_lowestTag) {
        m_lowestTag = s.cprice;
        m_tagWeek = week;
    }
    const bool sameOwner = s.sameOwner;

    const int d = bucket(s.dist);
    const int c = category(s.cond, s.surf);
    const int trip = s.dist > 7.9 ? 1 : 0;
    ++m_catStarts[c];
    ++m_bucketStarts[d][c];
    if (s.sp > m_best[d][c])
        m_best[d][c] = s.sp;
    if (s.fin >= 1 && s.fin <= 3)
        ++m_placings[d][s.fin][c];
    if (s.sp > float(m_threshold)) {
        ++m_speedCount[c][trip];
        m_speedSum[c][trip] += s.sp;
    }

    if (s.sp >= 90) {
        ++m_over90;
        if (s.sp >= 100) {
            ++m_over100;
            if (s.sp >= 110)
                ++m_over110;
        }
    }

    const std::int64_t earned = startEarnings(s.purse, s.fin);
    if (s.fin >= 1 && s.fin <= 5) {
        ++m_places[s.fin];
        if (sameOwner) {
            ++m_ownerPlaces[s.fin];
            m_ownerEarnings += earned;
        }
        if (s.fin == 1 && day + 371 > m_today) {
            ++m_recentWins[3];
            if (day + 266 > m_today) {
                ++m_recentWins[2];
                if (day + 175 > m_today) {
                    ++m_recentWins[1];
                    if (day + 84 > m_today)
                        ++m_recentWins[0];
                }
            }
        }
    }
    if (sameOwner)
        ++m_ownerStarts;
    m_earnings += earned;
}

void HorseStats::fillWinGrid(GridState& g) const
{
    g.setRedraw(false);
    for (int r = 1; r <= 6; ++r)
        for (int c = 1; c <= 9; ++c)
            g.setText(r, c, QString());
    for (int cat = 0; cat < 3; ++cat) {
        float best = 0;
        int wins = 0, seconds = 0, thirds = 0;
        for (int d = FirstBucket; d <= LastBucket; ++d) {
            const int col = d - 4;
            best = std::max(best, m_best[d][cat]);
            wins += m_placings[d][1][cat];
            seconds += m_placings[d][2][cat];
            thirds += m_placings[d][3][cat];
            if (m_bucketStarts[d][cat] == 0)
                continue;
            g.setText(1 + cat, col,
                      QString::number(m_bucketStarts[d][cat]) + QLatin1Char('-') + speedText(m_best[d][cat]));
            g.setText(4 + cat, col,
                      dash({m_placings[d][1][cat], m_placings[d][2][cat], m_placings[d][3][cat]}, "-"));
        }
        const QString starts = QLatin1Char('/') + QString::number(m_catStarts[cat]);
        g.setText(1 + cat, 9, speedText(best) + starts);
        g.setText(4 + cat, 9, dash({wins, seconds, thirds}, "-") + starts);
    }
    g.setRedraw(true);
}

void HorseStats::fillSpeedGrid(GridState& g) const
{
    // Counts and sums by [category + total row][sprint, route, total column].
    std::array<std::array<int, 3>, 4> count{};
    std::array<std::array<float, 3>, 4> sum{};
    for (int c = 0; c < 3; ++c) {
        for (int t = 0; t < 2; ++t) {
            count[c][t] = m_speedCount[c][t];
            sum[c][t] = m_speedSum[c][t];
        }
        count[c][2] = count[c][0] + count[c][1];
        sum[c][2] = sum[c][0] + sum[c][1];
    }
    for (int t = 0; t < 3; ++t) {
        count[3][t] = count[0][t] + count[1][t] + count[2][t];
        sum[3][t] = sum[0][t] + sum[1][t] + sum[2][t];
    }
    g.setRedraw(false);
    for (int r = 0; r < 4; ++r) {
        for (int t = 0; t < 3; ++t) {
            const int n = count[r][t];
            g.setText(r + 1, t + 1,
                      n == 0 ? QStringLiteral("0 (0)")
                             : speedText(sum[r][t] / float(n)) + QLatin1String(" (") + QString::number(n) +
                                   QLatin1Char(')'));
        }
    }
    g.setRedraw(true);
}

namespace
{
/** "Statistics for " and the subject in proper case; the stable search's expression shows as "Special: "
    and every stable searched, separated by " / " since the names themselves may hold commas. A subject
    asWritten (a listing that says what it lists) shows as it stands. */
QString statisticsFor(const QString& subject, bool asWritten)
{
    if (asWritten)
        return QStringLiteral("Statistics for ") + subject;
    const QStringList stables = SearchQuery::ownerNames(subject);
    const QString shown =
        stables.size() > 1 ? QStringLiteral("Special: ") + stables.join(QStringLiteral(" / ")) : subject;
    return QStringLiteral("Statistics for ") + Fmt::properCase(shown);
}
} // namespace

QString HorseStats::infoCaption(const QString& subject, bool asWritten) const
{
    const int placed = m_places[1] + m_places[2] + m_places[3] + m_places[4] + m_places[5];
    return statisticsFor(subject, asWritten) + QLatin1String(";     $") + Fmt::grouped(double(m_earnings)) +
           QLatin1String(";  ") +
           dash({m_places[1], m_places[2], m_places[3], m_places[4], m_places[5]}, " - ") +
           QLatin1String(" = ") + QString::number(placed) + QLatin1String(" / ") + QString::number(listed());
}

QString HorseStats::summary(SummaryKind kind, const QString& subject, const QString& dateFormat,
                            bool asWritten) const
{
    if (kind == SummaryKind::Race)
        return QString();
    QStringList out;
    out << statisticsFor(subject, asWritten);
    if (kind == SummaryKind::Horse) {
        const int placed =
            m_ownerPlaces[1] + m_ownerPlaces[2] + m_ownerPlaces[3] + m_ownerPlaces[4] + m_ownerPlaces[5];
        out << QStringLiteral("Under trainer:  ") + m_refOwner;
        out << QStringLiteral("Earnings: ") + Fmt::dollars(double(m_ownerEarnings));
        out << QStringLiteral("W-P-S-4-5:  ") +
                   dash({m_ownerPlaces[1], m_ownerPlaces[2], m_ownerPlaces[3], m_ownerPlaces[4],
                         m_ownerPlaces[5]},
                        "-") +
                   QLatin1Char('=') + QString::number(placed) + QLatin1Char('/') +
                   QString::number(m_ownerStarts);
        if (m_lowestTag > 500000) {
            out << QStringLiteral("This horse has no tag.");
        } else {
            out << QStringLiteral("Current Tag: ") + Fmt::dollarsFourDigits(double(m_lowestTag));
            out << QStringLiteral("Last Week of Tag:  Week ") + QString::number(m_tagWeek + 175) +
                       QLatin1String("  (") + QDate(1999, 1, 12).addDays(m_tagWeek).toString(dateFormat) +
                       QLatin1Char(')');
        }
        out << QString();
        out << QStringLiteral("Last 3, 6, 9, 12 mths: ") +
                   dash({m_recentWins[0], m_recentWins[1], m_recentWins[2], m_recentWins[3]}, "-");
        out << QStringLiteral("110+: ") + QString::number(m_over110) + QLatin1String("     100+: ") +
                   QString::number(m_over100) + QLatin1String("     90+: ") + QString::number(m_over90);
    } else {
        const int starts = listed();
        const double s = starts > 0 ? double(starts) : 1.0;
        auto share = [&](int n) { return QString::number(n) + QLatin1String(" = ") + Fmt::percent(n / s); };
        out << QStringLiteral("Earnings = ") + Fmt::dollars(double(m_earnings)) + QLatin1String(" = ") +
                   Fmt::dollars(double(m_earnings) / s) + QLatin1String(" / race");
        out << QStringLiteral("W:  ") + share(m_places[1]);
        out << QStringLiteral("P:  ") + share(m_places[2]);
        out << QStringLiteral("S:  ") + share(m_places[3]);
        out << QString();
        out << QStringLiteral("110+:  ") + share(m_over110);
        out << QStringLiteral("100+:  ") + share(m_over100);
        out << QStringLiteral(" 90+:  ") + share(m_over90);
    }
    return out.join(QLatin1Char('\r'));
}
