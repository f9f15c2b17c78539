#pragma once

#include <QString>
#include <QStringList>

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

} // namespace SavedNames
