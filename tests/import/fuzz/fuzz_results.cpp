// libFuzzer target for the results file reader: any bytes must end in a clean success or a reported
// failure, never a crash, a hang or a read past the data. Reading from memory, streaming in the reader's own
// chunks and streaming through a device that hands out a few bytes at a time (so that every refill, and every
// field split across refills, is exercised) must store the same rows, and every key must lie in its week's
// band.
#include "db/racekey.h"
#include "import/resultsfile.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace
{

/** A sequential device that gives at most `step` bytes per read. */
class TrickleDevice : public QIODevice
{
public:
    TrickleDevice(QByteArrayView data, qint64 step) : m_data(data), m_step(step)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        const qint64 n = std::min({max, m_step, qint64(m_data.size()) - m_pos});
        std::memcpy(out, m_data.data() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArrayView m_data;
    qint64 m_step;
    qint64 m_pos = 0;
};

/** Keeps every stored value as text, so that two reads can be compared row for row. */
class CheckingSink : public RaceSink
{
public:
    int week = 0;
    double key = 0;
    QString rows;
    bool addRace(const RaceRow& r) override
    {
        if (!RaceKey::inWeek(r.racenum, week))
            std::abort();
        key = r.racenum;
        rows += QStringLiteral("%1|%2|%3|%4|%5\n")
                    .arg(r.racenum, 0, 'g', 17)
                    .arg(r.size)
                    .arg(r.purse)
                    .arg(r.cprice)
                    .arg(r.restr + r.age);
        return true;
    }
    bool addStart(const StartRow& s) override
    {
        if (s.racenum != key || s.hname.size() > 25 * 4 || s.odds < 0.1)
            std::abort();
        rows += QStringLiteral("%1|%2|%3|%4|%5\n")
                    .arg(s.hid)
                    .arg(s.ppos)
                    .arg(s.sp, 0, 'g', 17)
                    .arg(s.start)
                    .arg(s.odds, 0, 'g', 17);
        return true;
    }
    QString error() const override { return {}; }
};

/** The outcome of a whole read: the rows stored, then the error, empty on success. */
QString readAll(FieldReader& fields)
{
    ResultsReader reader(fields);
    RaceClassifier classifier;
    CheckingSink sink;
    bool ok = reader.readOpening();
    sink.week = reader.week();
    ok = ok && reader.readRaces(classifier, sink, [](const QString&) {});
    if (!ok && reader.error().isEmpty())
        std::abort();
    return sink.rows + (ok ? QString() : reader.error());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FieldReader memory(bytes);
    QByteArray copy(bytes.data(), qsizetype(size));
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    FieldReader streamed(buffer);
    TrickleDevice trickle(QByteArrayView(copy), qint64(size % 7) + 1);
    FieldReader trickled(trickle);
    const QString expected = readAll(memory);
    if (readAll(streamed) != expected || readAll(trickled) != expected)
        std::abort();
    // The value rules on their own, with the input as text.
    const QString text = QString::fromLatin1(bytes.data(), qsizetype(std::min<size_t>(size, 200)));
    ResultValues::claimingPrice(text);
    ResultValues::purse(text);
    RaceClassifier().classify(text, text);
    if (const auto v = parseNumber(bytes.substr(0, 64)); v && ResultValues::week(*v))
        ResultValues::storedRaceNumber(*v, *ResultValues::week(*v));
    return 0;
}
