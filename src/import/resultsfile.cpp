#include "import/resultsfile.h"

#include "core/format.h"
#include "db/racekey.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace
{

constexpr int HnameLength = 25;
const QLatin1String EndMarker("*99999");

bool isAscii(std::string_view bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

/** A rebuilt race number must read back as a plain decimal number: digits with at most one point, and a
    minus before them. */
std::optional<double> readRebuilt(const QString& text)
{
    const QByteArray latin1 = text.toLatin1();
    const std::string_view digits =
        std::string_view(latin1.constData(), size_t(latin1.size())).substr(latin1.startsWith('-') ? 1 : 0);
    if (digits.empty() || digits.find_first_not_of("0123456789.") != std::string_view::npos ||
        std::count(digits.begin(), digits.end(), '.') > 1 || digits == ".")
        return std::nullopt;
    // The same conversion as the file's own numbers: the nearest double, never an infinity.
    return parseNumber(std::string_view(latin1.constData(), size_t(latin1.size())));
}

/** The whole part of v in digits; nullopt when it is too large for the race number it would go into. */
std::optional<QString> wholeDigits(double v)
{
    const double whole = std::trunc(v);
    // Checked before the cast: a value beyond the 64-bit range has no defined conversion.
    if (!(std::fabs(whole) < 1e15))
        return std::nullopt;
    return QString::number(static_cast<qint64>(whole));
}

/** The part of v's four-decimal text after the place where the point stands in v's shortest text. */
QString afterPoint(double v)
{
    const qsizetype point = Fmt::shortest(v).indexOf(QLatin1Char('.'));
    return Fmt::fixedNoLeadingZero(v, 4).mid(point + 1);
}

} // namespace

namespace ResultValues
{

std::optional<int> week(double firstRaceNumber)
{
    const double w = std::trunc(firstRaceNumber);
    if (!(w >= 0 && w <= RaceKey::MaxWeek))
        return std::nullopt;
    return int(w);
}

std::optional<double> storedRaceNumber(double v, int week)
{
    const QString w = QString::number(week) + QLatin1Char('.');
    if (v < 26) {
        // A short number carries the track and race only: its first two decimals, then its whole part.
        const QString t = Fmt::shortest(v);
        const qsizetype point = t.indexOf(QLatin1Char('.'));
        const QString two = point >= 0 ? t.mid(point + 1, 2) : t.left(2);
        const auto digits = wholeDigits(v);
        if (!digits)
            return std::nullopt;
        const auto r = readRebuilt(w + two + *digits);
        if (!r)
            return std::nullopt;
        v = *r;
    }
    if (week == 579 || week == 586) {
        // These two weeks' files number their races one week on; the shift moves them back.
        const auto decimals = readRebuilt(afterPoint(v));
        if (!decimals)
            return std::nullopt;
        const double sum = *decimals + std::trunc(v) - week;
        const auto r = readRebuilt(w + Fmt::fixed(sum, 0, 4));
        if (!r)
            return std::nullopt;
        v = *r;
    }
    return readRebuilt(w + afterPoint(v));
}

std::optional<qint32> amount(QStringView text)
{
    text = text.trimmed();
    bool negative = false;
    if (text.startsWith(QLatin1Char('-'))) {
        negative = true;
        text = text.mid(1);
    }
    if (text.isEmpty() || !text.front().isDigit())
        return std::nullopt;
    QString digits;
    qsizetype i = 0;
    for (; i < text.size() && (text[i].isDigit() || text[i] == QLatin1Char(',')); ++i) {
        if (text[i] != QLatin1Char(','))
            digits += text[i];
    }
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        digits += QLatin1Char('.');
        for (++i; i < text.size() && text[i].isDigit(); ++i)
            digits += text[i];
    }
    if (i != text.size())
        return std::nullopt;
    bool ok = false;
    const double v = digits.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return Fmt::toInt32(negative ? -v : v);
}

std::optional<qint32> purse(const QString& text)
{
    return amount(QStringView(text).mid(1));
}

std::optional<qint32> claimingPrice(const QString& text)
{
    if (text.size() <= 3)
        return 0;
    if (text.contains(QLatin1Char('(')))
        return amount(QStringView(text).mid(2, text.size() - 3));
    return amount(QStringView(text).mid(1));
}

QString progressText(int week, double raceNumber)
{
    const QString four = Fmt::fixed(raceNumber, 4, 1);
    return QString::number(week) + four.mid(four.indexOf(QLatin1Char('.')));
}

std::optional<double> odds(double base)
{
    if (base == 0)
        return std::nullopt;
    // Snapped to nine decimals first so that 0.25 gives 22.8 (2.2) and not a hair under a whole tenth.
    const double tenths = std::trunc(Fmt::roundTo((0.82 - base) / base * 10.0, 9));
    if (!std::isfinite(tenths))
        return std::nullopt;
    const double v = tenths / 10.0;
    return v < 0.1 ? 0.1 : v;
}

} // namespace ResultValues

bool ResultsReader::fail(const QString& what)
{
    m_error = QStringLiteral("line %1: %2").arg(m_fields.fieldLine()).arg(what);
    return false;
}

bool ResultsReader::field(std::string_view& out)
{
    switch (m_fields.next(out)) {
    case FieldReader::Status::Ok:
        return true;
    case FieldReader::Status::EndOfData:
        return fail(QStringLiteral("the file ends before its end marker *99999"));
    case FieldReader::Status::Unterminated:
        return fail(QStringLiteral("a quoted text has no closing quote"));
    case FieldReader::Status::TooLong:
        return fail(QStringLiteral("a field is too long"));
    case FieldReader::Status::DeviceError:
        return fail(QStringLiteral("the file cannot be read"));
    }
    return false;
}

bool ResultsReader::text(QString& out)
{
    std::string_view f;
    if (!field(f))
        return false;
    out = Fmt::decodeText(f);
    return true;
}

bool ResultsReader::skip(int count)
{
    std::string_view f;
    for (int i = 0; i < count; ++i) {
        if (!field(f))
            return false;
    }
    return true;
}

bool ResultsReader::number(double& out, const char* what)
{
    std::string_view f;
    if (!field(f))
        return false;
    const auto v = parseNumber(f);
    if (!v)
        return fail(QStringLiteral("the %1 \"%2\" is not a number")
                        .arg(QLatin1String(what), Fmt::decodeText(f.substr(0, 40))));
    out = *v;
    return true;
}

bool ResultsReader::header(RaceHeader& h)
{
    double size = 0;
    if (!number(h.number, "race number") || !skip(1) || !text(h.surface) || !text(h.condition) ||
        !number(h.distance, "distance") || !number(size, "field size") || !skip(1))
        return false;
    if (std::fabs(h.distance) > FLT_MAX)
        return fail(QStringLiteral("the distance is too large"));
    const auto s = Fmt::toInt16(size);
    if (!s || *s < 0)
        return fail(QStringLiteral("the field size %1 is not a number of starters").arg(Fmt::shortest(size)));
    h.size = *s;
    return true;
}

bool ResultsReader::readOpening()
{
    if (!skip(2) || !header(m_first))
        return false;
    const auto w = ResultValues::week(m_first.number);
    if (!w)
        return fail(
            QStringLiteral("the race number %1 does not give a week").arg(Fmt::shortest(m_first.number)));
    m_week = *w;
    return true;
}

bool ResultsReader::readStart(StartRow& row, int fin, double racenum)
{
    std::string_view f;
    if (!field(f))
        return false;
    if (isAscii(f)) {
        row.hname = QByteArray(f.data(), qsizetype(std::min<size_t>(f.size(), HnameLength)));
    } else {
        row.hname = Fmt::decodeText(f).left(HnameLength).toUtf8();
    }
    double id = 0, speed = 0, start = 0, oddsBase = 0, post = 0, ignored = 0;
    if (!number(id, "horse number") || !number(speed, "speed figure") || !number(start, "start figure"))
        return false;
    for (int i = 0; i < 6; ++i) {
        if (!number(ignored, "start value"))
            return false;
    }
    if (!number(oddsBase, "odds value") || !number(post, "post value") || !skip(1) || !field(f))
        return false;
    row.oname = isAscii(f) ? QByteArray(f.data(), qsizetype(f.size())) : Fmt::decodeText(f).toUtf8();

    const auto hid = Fmt::toInt32(id);
    if (!hid)
        return fail(QStringLiteral("the horse number %1 is too large").arg(Fmt::shortest(id)));
    // The first and last digits of the number as written out enter the post and the speed figure.
    int first = -1, last = 0;
    const double magnitude = std::fabs(id);
    if (magnitude == std::trunc(magnitude)) {
        qint64 n = qint64(magnitude);
        last = int(n % 10);
        while (n >= 10)
            n /= 10;
        first = int(n);
    } else {
        for (QChar ch : Fmt::shortest(magnitude)) {
            if (ch.isDigit()) {
                if (first < 0)
                    first = ch.digitValue();
                last = ch.digitValue();
            }
        }
    }
    first = std::max(first, 0);
    const auto ppos = Fmt::toInt16(post + 49 + (first == 9 ? 0 : first));
    if (!ppos)
        return fail(QStringLiteral("the post value %1 is too large").arg(Fmt::shortest(post)));
    const auto startFigure = Fmt::toInt16(Fmt::roundTo(start * 100.0, 6));
    if (!startFigure)
        return fail(QStringLiteral("the start figure %1 is too large").arg(Fmt::shortest(start)));
    const auto o = ResultValues::odds(oddsBase);
    if (!o)
        return fail(QStringLiteral("the odds value %1 gives no odds").arg(Fmt::shortest(oddsBase)));
    row.hid = *hid;
    row.racenum = racenum;
    row.fin = fin;
    row.ppos = *ppos;
    row.sp = Fmt::roundTo(speed + first - last, 2);
    row.start = *startFigure;
    row.odds = *o;
    return true;
}

bool ResultsReader::readRaces(RaceClassifier& classifier, RaceSink& sink,
                              const std::function<void(const QString&)>& progress)
{
    RaceHeader h = m_first;
    RaceRow race;
    StartRow start;
    QString type, claiming, purse, conditions, marker;
    for (;;) {
        if (!text(type) || !text(claiming) || !skip(1) || !text(purse) || !text(conditions))
            return false;
        if (h.number == 0)
            return true;
        const auto p = ResultValues::purse(purse);
        if (!p)
            return fail(QStringLiteral("the purse \"%1\" is not an amount").arg(purse));
        const auto c = ResultValues::claimingPrice(claiming);
        if (!c)
            return fail(QStringLiteral("the claiming price \"%1\" is not an amount").arg(claiming));
        const auto codes = classifier.classify(type, conditions);
        if (!codes)
            return fail(classifier.error());
        const auto key = ResultValues::storedRaceNumber(h.number, m_week);
        if (!key)
            return fail(QStringLiteral("the race number %1 is not a race key").arg(Fmt::shortest(h.number)));
        // A key outside its week's band could never be removed or replaced with the week.
        if (!RaceKey::inWeek(*key, m_week))
            return fail(QStringLiteral("the race number %1 gives the race key %2, which lies outside week %3")
                            .arg(Fmt::shortest(h.number), RaceKey::text(*key))
                            .arg(m_week));

        race.racenum = *key;
        race.surf = h.surface.left(1);
        race.cond = h.condition.left(1);
        race.dist = h.distance;
        race.size = h.size;
        race.purse = *p;
        race.cprice = *c;
        race.restr = codes->restr;
        race.age = codes->age;
        if (!sink.addRace(race))
            return fail(sink.error());
        ++m_races;
        for (int fin = 1; fin <= h.size; ++fin) {
            if (!readStart(start, fin, *key))
                return false;
            if (!sink.addStart(start))
                return fail(sink.error());
            ++m_starts;
        }
        if (!text(marker))
            return false;
        if (marker == EndMarker)
            return true;
        if (!header(h))
            return false;
        if (progress)
            progress(ResultValues::progressText(m_week, h.number));
    }
}
