// libFuzzer target for the breeding file reader: any file must be read to an end, a failed id check or a
// reported malformation, never a crash or a hang, and every progeny it returns must have the searched
// stallion in the searched place and pass the id check. The stallion is taken from the input itself (the
// name field of the line the search compares) so that matches are common.
#include "progeny/breedingfile.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdint>
#include <cstdlib>

namespace
{

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QString scratchPath()
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("fuzz-breeding-%1.txt").arg(QCoreApplication::applicationPid()));
    return path;
}

/** The name field (between the first and second comma) of line `index` of the data. */
QString nameOnLine(QByteArrayView data, int index)
{
    const QList<QByteArray> lines = data.toByteArray().split('\n');
    if (index >= lines.size())
        return {};
    const QList<QByteArray> fields = lines[index].split(',');
    return fields.size() > 1 ? QString::fromUtf8(fields[1]) : QString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QFile file(scratchPath());
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
          file.write(bytes.toByteArray()) == qint64(size));
    file.close();

    const int place = int(size % 3) + 1;
    const auto mode = place == 1   ? ProgenySearchMode::Sire
                      : place == 2 ? ProgenySearchMode::DamSire
                                   : ProgenySearchMode::DamDamSire;
    const QString wanted = nameOnLine(bytes, place);
    BreedingScan scan(scratchPath(), wanted, mode);
    check(scan.start());
    BreedingRecord r;
    int records = 0;
    for (;;) {
        const BreedingScan::Result result = scan.next(r);
        if (result != BreedingScan::Result::Record) {
            check(result != BreedingScan::Result::Malformed || !scan.error().isEmpty());
            check(result != BreedingScan::Result::CheckFailed || scan.failedId() == r.id());
            check(scan.next(r) == BreedingScan::Result::End);
            break;
        }
        ++records;
        const auto& ids = r.lineIds;
        check(ids[0] == ids[1] || ids[0] == ids[2] || ids[0] == ids[3]);
        check(r.lineNames[std::size_t(place)].toLower() == wanted.toLower());
        check(r.firstLine >= 1 && r.firstLine + 3 <= scan.lineNumber() && records * 4 <= scan.lineNumber());
    }
    return 0;
}
