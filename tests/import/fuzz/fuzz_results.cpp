// libFuzzer target for the results file reader: any bytes must end in a clean success or a reported
// failure, never a crash, a hang or a read past the data; reading from memory and streaming from a
// device must agree.
#include "import/resultsfile.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace
{

class CountingSink : public RaceSink
{
public:
    int races = 0;
    int starts = 0;
    double lastKey = 0;
    bool addRace(const RaceRow& r) override
    {
        ++races;
        lastKey = r.racenum;
        return true;
    }
    bool addStart(const StartRow& s) override
    {
        ++starts;
        if (s.hname.size() > 25 * 4 || s.odds < 0.1)
            std::abort();
        return true;
    }
    QString error() const override { return {}; }
};

struct Outcome {
    bool ok = false;
    int races = 0;
    int starts = 0;
    QString error;
};

Outcome readAll(FieldReader& fields)
{
    ResultsReader reader(fields);
    RaceClassifier classifier;
    CountingSink sink;
    Outcome o;
    o.ok = reader.readOpening() && reader.readRaces(classifier, sink, [](const QString&) {});
    o.races = sink.races;
    o.starts = sink.starts;
    o.error = reader.error();
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FieldReader memory(bytes);
    const Outcome a = readAll(memory);

    QByteArray copy(bytes.data(), qsizetype(size));
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    FieldReader streamed(buffer);
    const Outcome b = readAll(streamed);
    if (a.ok != b.ok || a.races != b.races || a.starts != b.starts || a.error != b.error)
        std::abort();
    if (!a.ok && a.error.isEmpty())
        std::abort();

    // The value rules on their own, with the input as text.
    const QString text = QString::fromLatin1(bytes.data(), qsizetype(std::min<size_t>(size, 200)));
    ResultValues::claimingPrice(text);
    ResultValues::purse(text);
    RaceClassifier c;
    c.classify(text, text);
    parseNumber(bytes.substr(0, 64));
    return 0;
}
