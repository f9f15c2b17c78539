// libFuzzer target for the breeding file reader: any file must be read to an end, a failed id check or a
// reported malformation, never a crash or a hang, and every progeny returned must pass the id check and have
// the searched stallion in the searched place. The stallion is the name field of the line the search
// compares in the input's first record, so that matches are common.
#include "../../fuzzsupport.h"
#include "progeny/breedingfile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = inputFile(bytes, "breeding", "txt");

    const int place = int(size % 3) + 1;
    const ProgenySearchMode modes[] = {ProgenySearchMode::Sire, ProgenySearchMode::DamSire,
                                       ProgenySearchMode::DamDamSire};
    const QString wanted = QString::fromUtf8(bytes.split('\n').value(place).split(',').value(1));
    BreedingScan scan(path, wanted, modes[place - 1]);
    check(scan.start());
    BreedingRecord r;
    for (int records = 1;; ++records) {
        const BreedingScan::Result result = scan.next(r);
        if (result != BreedingScan::Result::Record) {
            check(result != BreedingScan::Result::Malformed || !scan.error().isEmpty());
            check(result != BreedingScan::Result::CheckFailed || scan.failedId() == r.id());
            check(scan.next(r) == BreedingScan::Result::End);
            return 0;
        }
        const auto& ids = r.lineIds;
        check(ids[0] == ids[1] || ids[0] == ids[2] || ids[0] == ids[3]);
        check(r.lineNames[std::size_t(place)].toLower() == wanted.toLower());
        check(r.firstLine >= 1 && r.firstLine + 3 <= scan.lineNumber() && records * 4 <= scan.lineNumber());
    }
}
