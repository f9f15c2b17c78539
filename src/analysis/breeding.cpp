#include "analysis/breeding.h"

#include "progeny/breedingfile.h"

#include <QDir>
#include <QFileInfo>

namespace Analysis
{

Result<BreedingIndex> BreedingIndex::read(const QString& path, ProgenySearchMode position)
{
    const std::size_t line = position == ProgenySearchMode::Sire      ? 1
                             : position == ProgenySearchMode::DamSire ? 2
                                                                      : 3;
    if (!QFileInfo::exists(path))
        return Result<BreedingIndex>::failure(missingBreedingFile(path));
    BreedingScan scan(path);
    if (!scan.start())
        return Result<BreedingIndex>::failure(scan.error());
    BreedingIndex index;
    BreedingRecord record;
    for (;;) {
        switch (scan.next(record)) {
        case BreedingScan::Result::Record:
            if (index.m_byHid.emplace(record.id(), std::int32_t(index.m_stallions.size())).second)
                index.m_stallions.push_back(record.lineNames[line]);
            continue;
        case BreedingScan::Result::End:
            return index;
        case BreedingScan::Result::CheckFailed: // passed over by a scan of every horse
        case BreedingScan::Result::Malformed:
            break;
        }
        return Result<BreedingIndex>::failure(scan.error());
    }
}

QString missingBreedingFile(const QString& path)
{
    return QStringLiteral("the breeding file %1 does not exist").arg(QDir::toNativeSeparators(path));
}

QString foldCase(const QString& name)
{
    QString out = name;
    for (QChar& c : out) {
        if (c.unicode() >= u'a' && c.unicode() <= u'z')
            c = QChar(char16_t(c.unicode() - 32));
    }
    return out;
}

} // namespace Analysis
