#pragma once

#include "analysis/definitions.h"
#include "core/mainwindowstate.h"

#include <QString>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace Analysis
{

/**
 * One stallion of each horse of the breeding file (its sire, dam-sire or dam's dam-sire), read as the progeny
 * search reads the file: the first record of a horse counts, and records the search would refuse are passed
 * over.
 */
class BreedingIndex
{
public:
    /** Reads the file for the stallions in `position`; a file that cannot be read gives the scan's message.
     */
    static Result<BreedingIndex> read(const QString& path, ProgenySearchMode position);

    /** The place of a horse's record among the horses read (file order), or -1 without one. */
    std::int32_t recordOf(std::int32_t hid) const
    {
        const auto it = m_byHid.find(hid);
        return it == m_byHid.end() ? -1 : it->second;
    }
    /** The stallion of a record as the file spells it. */
    const QString& stallion(std::int32_t record) const { return m_stallions[std::size_t(record)]; }
    std::size_t size() const { return m_stallions.size(); }

private:
    std::unordered_map<std::int32_t, std::int32_t> m_byHid;
    std::vector<QString> m_stallions;
};

/** "the breeding file PATH does not exist", as the progeny search says when there is none. */
QString missingBreedingFile(const QString& path);

/** A name in one letter case, so that names that differ only in case are one ("Storm Cat", "STORM CAT"). */
QString foldCase(const QString& name);

} // namespace Analysis
