#include "progeny/breedingfile.h"

#include "core/format.h"

#include <QDir>

#include <limits>
#include <optional>

namespace
{

bool isBlankByte(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isBlankByte(text[b]))
        ++b;
    while (e > b && isBlankByte(text[e - 1]))
        --e;
    return text.sliced(b, e - b);
}

/** A whole number with an optional sign and blanks around it, within [lo, hi]; nullopt otherwise. */
std::optional<qint64> wholeNumber(QByteArrayView field, qint64 lo, qint64 hi)
{
    QByteArrayView t = trimmed(field);
    bool negative = false;
    if (!t.isEmpty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        t = t.sliced(1);
    }
    if (t.isEmpty() || t.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < lo || value > hi)
        return std::nullopt;
    return value;
}

QString shown(QByteArrayView bytes)
{
    QString text = Fmt::decodeText(bytes);
    if (text.size() > 40)
        text = text.left(40) + QStringLiteral("...");
    return text;
}

} // namespace

BreedingScan::BreedingScan(const QString& path, const QString& name, ProgenySearchMode mode)
    : m_path(path), m_wanted(name.toLower())
{
    m_file.setFileName(path);
    switch (mode) {
    case ProgenySearchMode::Sire:
        m_matchLine = 1;
        break;
    case ProgenySearchMode::DamSire:
        m_matchLine = 2;
        break;
    case ProgenySearchMode::DamDamSire:
        m_matchLine = 3;
        break;
    }
}

BreedingScan::BreedingScan(const QString& path) : m_path(path), m_matchLine(-1)
{
    m_file.setFileName(path);
}

BreedingScan::~BreedingScan()
{
    finish();
}

bool BreedingScan::start()
{
    m_line = 0;
    m_error.clear();
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = Fmt::lines(
            {QStringLiteral("The breeding file %1 cannot be opened.").arg(QDir::toNativeSeparators(m_path)),
             m_file.errorString()});
        return false;
    }
    return true;
}

void BreedingScan::finish()
{
    if (m_file.isOpen())
        m_file.close();
}

BreedingScan::Line BreedingScan::readLine()
{
    m_text = m_file.readLine();
    if (m_text.isEmpty()) {
        // readLine() gives at least the line end for every line that exists, so nothing means no more lines.
        return m_file.error() == QFileDevice::NoError ? Line::EndOfFile : Line::ReadError;
    }
    ++m_line;
    // Editors that save as UTF-8 often put a byte order mark before the first line.
    if (m_line == 1 && m_text.startsWith("\xEF\xBB\xBF"))
        m_text.remove(0, 3);
    qsizetype n = m_text.size();
    if (n > 0 && m_text[n - 1] == '\n')
        --n;
    if (n > 0 && m_text[n - 1] == '\r')
        --n;
    m_text.truncate(n);
    // A line of nothing but blanks separates records just as an empty one does.
    for (char c : std::as_const(m_text)) {
        if (!isBlankByte(c))
            return Line::Text;
    }
    return Line::Blank;
}

BreedingScan::Result BreedingScan::malformed(const QString& what)
{
    // A scan of every horse lists nothing as it goes: only a stallion's search has progeny to show so far.
    m_error = m_matchLine < 0
                  ? what
                  : Fmt::lines({what, QStringLiteral("Only the progeny found before that line are listed.")});
    finish();
    return Result::Malformed;
}

bool BreedingScan::parseLine(int k, BreedingRecord& record)
{
    const QString file = QDir::toNativeSeparators(m_path);
    const QByteArrayView text(m_text);
    const qsizetype c1 = text.indexOf(',');
    const qsizetype c2 = c1 < 0 ? -1 : text.indexOf(',', c1 + 1);
    const qsizetype c3 = c2 < 0 ? -1 : text.indexOf(',', c2 + 1);
    if (c2 < 0 || (k == 0 && c3 < 0)) {
        malformed(
            QStringLiteral("Line %1 of the breeding file %2 has too few commas: a horse's first line needs "
                           "at least three, each of its other three lines at least two.")
                .arg(QString::number(m_line), file));
        return false;
    }
    const auto id = wholeNumber(text.first(c1), std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max());
    if (!id) {
        malformed(
            QStringLiteral("Line %1 of the breeding file %2 does not start with a horse id: \"%3\" is not a "
                           "whole number.")
                .arg(QString::number(m_line), file, shown(text.first(c1))));
        return false;
    }
    record.lineIds[std::size_t(k)] = std::int32_t(*id);
    record.lineNames[std::size_t(k)] = Fmt::decodeText(text.sliced(c1 + 1, c2 - c1 - 1));
    if (k == 0) {
        const QByteArrayView ageField = text.sliced(c2 + 1, c3 - c2 - 1);
        const auto age = wholeNumber(ageField, std::numeric_limits<std::int16_t>::min(),
                                     std::numeric_limits<std::int16_t>::max());
        if (!age) {
            malformed(
                QStringLiteral("Line %1 of the breeding file %2 gives an age of \"%3\", which is not a whole "
                               "number of years.")
                    .arg(QString::number(m_line), file, shown(ageField)));
            return false;
        }
        record.ageYears = std::int16_t(*age);
        const QByteArrayView rest = text.sliced(c3 + 1);
        if (!rest.isEmpty()) {
            // The sex code is one character, which in UTF-8 may take more than one byte.
            const QString tail = Fmt::decodeText(rest.first(std::min<qsizetype>(rest.size(), 4)));
            record.sexCode = tail.isEmpty() ? QString() : QString(tail.at(0));
        }
    }
    return true;
}

BreedingScan::Result BreedingScan::cutShort(Line line, int firstLine)
{
    const QString file = QDir::toNativeSeparators(m_path);
    if (line == Line::ReadError)
        return malformed(QStringLiteral("The breeding file %1 could not be read after line %2: %3")
                             .arg(file, QString::number(m_line), m_file.errorString()));
    return malformed(
        QStringLiteral("The breeding file %1 ends in the middle of the horse that starts on line %2.")
            .arg(file, QString::number(firstLine)));
}

BreedingScan::Result BreedingScan::next(BreedingRecord& record)
{
    if (!m_file.isOpen())
        return Result::End;
    for (;;) {
        record = BreedingRecord();
        int k = 0;
        for (; k < 4; ++k) {
            const Line line = readLine();
            if (line == Line::EndOfFile && k == 0) {
                finish();
                return Result::End;
            }
            if (line == Line::EndOfFile || line == Line::ReadError)
                return cutShort(line, record.firstLine);
            if (line == Line::Blank)
                break; // abandons the lines of the record read so far
            if (k == 0)
                record.firstLine = m_line;
            if (!parseLine(k, record))
                return Result::Malformed;
            if (k == m_matchLine && record.lineNames[std::size_t(k)].toLower() != m_wanted) {
                // Not a progeny: pass over the rest of its lines unread, so that the next record starts where
                // it should. A blank line there ends the record early, as it would anywhere else.
                for (int skip = k + 1; skip < 4; ++skip) {
                    const Line rest = readLine();
                    if (rest == Line::Blank)
                        break;
                    if (rest != Line::Text)
                        return cutShort(rest, record.firstLine);
                }
                break;
            }
        }
        if (k < 4)
            continue;
        const auto& ids = record.lineIds;
        if (ids[0] == ids[1] || ids[0] == ids[2] || ids[0] == ids[3])
            return Result::Record;
        if (m_matchLine < 0)
            continue;
        m_failedId = ids[0];
        finish();
        return Result::CheckFailed;
    }
}
