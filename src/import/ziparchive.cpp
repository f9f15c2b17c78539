#include "import/ziparchive.h"

#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <memory>

namespace
{

struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveFree>;

QString libraryError(archive* a)
{
    const char* text = archive_error_string(a);
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("unknown error");
}

QString entryName(archive_entry* e)
{
    if (const char* utf8 = archive_entry_pathname_utf8(e))
        return QString::fromUtf8(utf8);
    if (const char* local = archive_entry_pathname(e))
        return QString::fromLocal8Bit(local);
    return {};
}

/** Opens the archive for one pass over its entries; null with the error set when it is not a zip archive. */
ArchivePtr openArchive(const QString& path, QString& error)
{
    ArchivePtr a(archive_read_new());
    // Zip only: nothing else is a results archive, and every other format is surface for no gain.
    archive_read_support_format_zip(a.get());
    if (archive_read_open_filename(a.get(), QFile::encodeName(path).constData(), 64 * 1024) != ARCHIVE_OK) {
        error = QStringLiteral("not a readable zip archive (%1)").arg(libraryError(a.get()));
        return nullptr;
    }
    return a;
}

/** Moves to the next entry; false at the end, or with the error set when the archive is damaged. */
bool nextEntry(archive* a, archive_entry*& entry, QString& error)
{
    const int status = archive_read_next_header(a, &entry);
    if (status == ARCHIVE_OK || status == ARCHIVE_WARN)
        return true;
    if (status != ARCHIVE_EOF)
        error = QStringLiteral("damaged zip archive (%1)").arg(libraryError(a));
    return false;
}

QString tooBig()
{
    return QStringLiteral("it expands beyond %1 MiB, far more than a results file holds, and was not read")
        .arg(ZipArchive::MaxEntrySize >> 20);
}

} // namespace

bool ZipArchive::isArchive(const QString& path)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("zip"), Qt::CaseInsensitive) == 0)
        return true;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray magic = f.read(4);
    return magic == QByteArrayLiteral("PK\x03\x04") || magic == QByteArrayLiteral("PK\x05\x06");
}

std::optional<QList<ZipArchive::Entry>> ZipArchive::entries()
{
    m_error.clear();
    ArchivePtr a = openArchive(m_path, m_error);
    if (!a)
        return std::nullopt;
    QList<Entry> list;
    archive_entry* e = nullptr;
    for (int index = 0; nextEntry(a.get(), e, m_error); ++index) {
        if (archive_entry_filetype(e) == AE_IFREG)
            list.append({entryName(e), index});
    }
    if (!m_error.isEmpty())
        return std::nullopt;
    std::stable_sort(list.begin(), list.end(),
                     [](const Entry& x, const Entry& y) { return x.name < y.name; });
    return list;
}

std::optional<QByteArray> ZipArchive::read(const Entry& entry)
{
    m_error.clear();
    ArchivePtr a = openArchive(m_path, m_error);
    if (!a)
        return std::nullopt;
    archive_entry* e = nullptr;
    for (int index = 0; index <= entry.index; ++index) {
        if (!nextEntry(a.get(), e, m_error)) {
            if (m_error.isEmpty())
                m_error = QStringLiteral("no longer in the archive");
            return std::nullopt;
        }
    }
    // The size the archive states is only a claim; the count of bytes actually expanded is what is checked.
    if (archive_entry_size_is_set(e) && archive_entry_size(e) > MaxEntrySize) {
        m_error = tooBig();
        return std::nullopt;
    }
    QByteArray data;
    char buffer[64 * 1024];
    for (;;) {
        const la_ssize_t n = archive_read_data(a.get(), buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            m_error = QStringLiteral("cannot be expanded (%1)").arg(libraryError(a.get()));
            return std::nullopt;
        }
        if (data.size() + n > MaxEntrySize) {
            m_error = tooBig();
            return std::nullopt;
        }
        data.append(buffer, n);
    }
    return data;
}
