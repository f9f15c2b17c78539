#pragma once

#include <QString>

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

/** Cell texts of the results grid, made quickly: a large search writes 15,000 rows of them. */
namespace CellFormat
{

/** The same text as Fmt::fixed ("#0.0", "00.0", "#0.0000"...) without its general-purpose cost. */
QString fixed(double value, int decimals, int intDigits);
/** The decimal text of a whole number; the small ones, which most fields hold, are made once. */
QString number(long long value);
/** The same text as Fmt::shortest: whole numbers without a point, fractions in their shortest form. */
QString plain(double value);

/**
 * One QString per distinct text: the texts of a column repeat from row to row (owners, type codes,
 * surfaces), and a shared copy costs neither an allocation nor a decoding.
 */
class TextCache
{
public:
    /** The text of UTF-8 bytes, made by `make` the first time they are seen. */
    template <typename Make> const QString& get(std::string_view utf8, Make make)
    {
        // Neighbouring rows often repeat a text (one owner's starts, one race's starters).
        if (m_last && utf8 == m_lastKey)
            return *m_last;
        auto it = m_map.find(utf8);
        if (it == m_map.end()) {
            const std::string& key = m_keys.emplace_back(utf8);
            it = m_map.emplace(std::string_view(key), make()).first;
        }
        m_lastKey = it->first;
        m_last = &it->second;
        return it->second;
    }
    const QString& get(std::string_view utf8)
    {
        return get(utf8, [&] { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); });
    }

private:
    std::deque<std::string> m_keys; // stable storage for the map's keys
    std::unordered_map<std::string_view, QString> m_map;
    std::string_view m_lastKey;
    const QString* m_last = nullptr;
};

/** One QString per distinct number of a column, made by `make` the first time the number is seen. */
template <typename Key> class NumberCache
{
public:
    template <typename Make> const QString& get(Key key, Make make)
    {
        auto it = m_map.find(key);
        if (it == m_map.end())
            it = m_map.emplace(key, make()).first;
        return it->second;
    }

private:
    std::unordered_map<Key, QString> m_map;
};

} // namespace CellFormat
