#include "progeny/breedingchoice.h"

#include "core/datafolder.h"
#include "core/mainwindowstate.h"
#include "core/replacingfile.h"
#include "core/smallfile.h"

#include <QDir>
#include <QFileInfo>

namespace
{

/** The folder's own breeding file, which breedingPathFor() prefers. */
QString ownBreedingPath(const MainWindowState& f)
{
    return f.programPath() + QStringLiteral("breeding.txt");
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

/** A breeding file's first record begins "id,name,age,sex": three commas before its line ends. */
bool looksLikeBreedingFile(const QByteArray& bytes)
{
    const QByteArray text = bytes.trimmed();
    return text.left(text.indexOf('\n')).count(',') >= 3;
}

/** Copies the chosen file whole to the folder's breeding file: false after a message, or when the player
    kept the one there. */
bool copyBreedingFile(Platform& p, const QString& source, const QString& target)
{
    const auto refuse = [&p](const QString& why) {
        p.message(why);
        return false;
    };
    // A large simulation's file takes tens of megabytes; far more is not a breeding file.
    const SmallFile read = readSmallFile(source, qint64(1) << 30);
    if (read.status != SmallFile::Status::Read)
        return refuse(QStringLiteral("%1 could not be read: %2").arg(shown(source), read.reason));
    if (!looksLikeBreedingFile(read.bytes))
        return refuse(
            QStringLiteral("%1 is not a breeding file: its first line is not a horse's id, name, age "
                           "and sex, separated by commas.")
                .arg(shown(source)));
    if (QFileInfo::exists(target) &&
        p.askYesNo(QStringLiteral("Replace the breeding file %1 with %2?").arg(shown(target), shown(source)),
                   Platform::Answer::No) != Platform::Answer::Yes)
        return false;
    if (const QString error = writeWholeFile(target, read.bytes); !error.isEmpty())
        return refuse(
            QStringLiteral("The breeding file could not be written to %1: %2").arg(shown(target), error));
    return true;
}

} // namespace

QString breedingFileNeeded(const MainWindowState& f)
{
    return QStringLiteral("A progeny search needs a breeding file: breeding.txt in the data folder (%1), or "
                          "%2. File > Choose Breeding File... copies one into the data folder.")
        .arg(shown(f.programPath()), shown(defaultBreedingPath()));
}

bool choosebreedingfile(MainWindowState& f)
{
    Platform::FileDialog dialog;
    dialog.title = QStringLiteral("Choose Breeding File");
    dialog.filters = {QStringLiteral("Breeding Files (*.txt)|*.txt"), QStringLiteral("All Files (*.*)|*.*")};
    dialog.folder = QFileInfo(defaultBreedingPath()).absolutePath();
    const QStringList chosen = f.platform().openFiles(dialog);
    const QString target = ownBreedingPath(f);
    // The folder's own file chosen again is only taken into use.
    const bool own = !chosen.isEmpty() &&
                     QFileInfo(chosen.first()).canonicalFilePath() == QFileInfo(target).canonicalFilePath();
    if (chosen.isEmpty() || (!own && !copyBreedingFile(f.platform(), chosen.first(), target))) {
        f.setStatusLine(f.panel.progenyEnabled ? QStringLiteral("The breeding file in use was kept.")
                                               : QStringLiteral("No breeding file was taken into use."));
        return false;
    }
    f.setBreedingPath(target);
    f.panel.progenyEnabled = true;
    f.setStatusLine(QStringLiteral("Breeding file %1 in use: S, DS and DDS search it.").arg(shown(target)));
    return true;
}
