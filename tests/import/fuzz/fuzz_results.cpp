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
    int rows = 0;
    bool addRace(const RaceRow&) override { return ++rows > 0; }
    bool addStart(const StartRow& s) override
    {
        if (s.hname.size() > 25 * 4 || s.odds < 0.1)
            std::abort();
        return ++rows > 0;
    }
    QString error() const override { return {}; }
};

/** The outcome of a whole read: the rows stored, then the error, empty on success. */
QString readAll(FieldReader& fields)
{
    ResultsReader reader(fields);
    RaceClassifier classifier;
    CountingSink sink;
    const bool ok = reader.readOpening() && reader.readRaces(classifier, sink, [](const QString&) {});
    if (!ok && reader.error().isEmpty())
        std::abort();
    return QString::number(sink.rows) + (ok ? QString() : reader.error());
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
    if (readAll(memory) != readAll(streamed))
        std::abort();
    // The value rules on their own, with the input as text.
    const QString text = QString::fromLatin1(bytes.data(), qsizetype(std::min<size_t>(size, 200)));
    ResultValues::claimingPrice(text);
    ResultValues::purse(text);
    RaceClassifier().classify(text, text);
    parseNumber(bytes.substr(0, 64));
    return 0;
}
