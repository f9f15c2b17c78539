// libFuzzer target for the results file reader: any bytes must end in a clean success or a reported
// failure, never a crash, a hang or a read past the data. Reading from memory, streaming in the reader's
// own chunks and streaming through a device that hands out a few bytes at a time (so that every refill
// and every field split across refills is exercised) must agree row for row, and every key stored must
// lie in its week's band.
#include "db/racekey.h"
#include "import/resultsfile.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>
#include <functional>

namespace
{

void check(bool condition)
{
    if (!condition)
        std::abort();
}

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

class CheckingSink : public RaceSink
{
public:
    int week = 0;
    double raceKey = 0;
    size_t digest = 0;
    bool addRace(const RaceRow& r) override
    {
        check(RaceKey::inWeek(r.racenum, week));
        raceKey = r.racenum;
        mix(std::hash<double>()(r.racenum) ^ size_t(r.size) ^ (size_t(r.purse) << 20) ^ size_t(r.cprice));
        return true;
    }
    bool addStart(const StartRow& s) override
    {
        check(s.racenum == raceKey && s.hname.size() <= 25 * 4 && s.odds >= 0.1);
        mix(std::hash<double>()(s.sp) ^ size_t(s.hid) ^ (size_t(s.ppos) << 32) ^ size_t(s.start));
        return true;
    }
    QString error() const override { return {}; }

private:
    void mix(size_t v) { digest = digest * 1099511628211u ^ v; }
};

struct Outcome {
    bool ok = false;
    int races = 0;
    qint64 starts = 0;
    size_t digest = 0;
    QString error;
    bool operator==(const Outcome&) const = default;
};

Outcome readAll(FieldReader& fields)
{
    ResultsReader reader(fields);
    RaceClassifier classifier;
    CheckingSink sink;
    Outcome o;
    o.ok = reader.readOpening();
    sink.week = reader.week();
    o.ok = o.ok && reader.readRaces(classifier, sink, [](const QString&) {});
    o.races = reader.races();
    o.starts = reader.starts();
    o.digest = sink.digest;
    o.error = reader.error();
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FieldReader memory(bytes);
    const Outcome a = readAll(memory);
    check(a.ok || !a.error.isEmpty());

    QByteArray copy(bytes.data(), qsizetype(size));
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    FieldReader streamed(buffer);
    check(readAll(streamed) == a);

    TrickleDevice trickle(QByteArrayView(copy), qint64(size % 7) + 1);
    FieldReader trickled(trickle);
    check(readAll(trickled) == a);

    // The value rules on their own, with the input as text.
    const QString text = QString::fromLatin1(bytes.data(), qsizetype(std::min<size_t>(size, 200)));
    ResultValues::claimingPrice(text);
    ResultValues::purse(text);
    RaceClassifier c;
    c.classify(text, text);
    if (const auto v = parseNumber(bytes.substr(0, 64))) {
        if (const auto w = ResultValues::week(*v)) {
            if (const auto key = ResultValues::storedRaceNumber(*v, *w))
                ResultValues::progressText(*w, *key);
        }
    }
    return 0;
}
