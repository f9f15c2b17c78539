#pragma once

#include <QString>
#include <QStringList>

#include <array>

/** Reading and writing the saved-names file of the stable search: one set per line. */
namespace SavedNames
{

/** The sets of a file, or the message that explains why it cannot be read. A missing file is an empty list.
 */
struct ReadResult {
    QStringList sets;
    QString error;
};
ReadResult read(const QString& path);
/** Replaces the file with the sets, whole or not at all; an empty text on success, else the message. */
QString write(const QString& path, const QStringList& sets);

/** A set as the list shows it and the file keeps it: the names joined by ", ", a name holding a comma
    within double quotes ("McCoy, Sam", Red Barn). */
QString joinSet(const QStringList& names);
/**
 * A set split into the four stable boxes. A name within double quotes is taken whole; any other runs to the
 * next comma, and the name after it starts two characters later, past the blank that joinSet() puts there;
 * the fourth box takes the rest of the set, commas and all. Sets without quotes, such as every older file
 * holds, split as they always did.
 */
std::array<QString, 4> splitSet(const QString& set);

} // namespace SavedNames
