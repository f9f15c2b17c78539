// libFuzzer target for the lineage page parser: any bytes must give values without a crash, a hang or a read
// outside the page, and a value taken as it stands must be a piece of the page.
#include "lineage/lineagepage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QString page = pageText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const LineagePage p = parseLineagePage(page);
    for (const QString& v : {p.earnings, p.ranking, p.claimTag, p.nonMcosWins, p.wins[0], p.wins[3],
                             p.pedigree[0][0], p.pedigree[1][1], p.pedigree[3][2]})
        if (!page.contains(v))
            std::abort();
    LineageState w;
    showLineage(p, QStringLiteral("1"), w);
    return 0;
}
