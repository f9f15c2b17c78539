// libFuzzer target for the lineage page parser: any bytes must give values without a crash, a hang or a read
// outside the page, and every value taken as it stands must be a piece of the page.
#include "lineage/lineagepage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QString page = pageText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const LineagePage p = parseLineagePage(page);
    const auto piece = [&](const QString& value) {
        if (!page.contains(value))
            std::abort();
    };
    for (const QString* v : {&p.earnings, &p.ranking, &p.claimTag, &p.nonMcosWins})
        piece(*v);
    for (const QString& v : p.wins)
        piece(v);
    for (const auto& row : p.pedigree)
        for (const QString& name : row)
            piece(name);
    if (p.name.size() > page.size() || p.owner.size() > page.size() || p.description.size() > page.size() + 8)
        std::abort();
    LineageState w;
    showLineage(p, QStringLiteral("1"), w);
    return 0;
}
