#include "import/ziparchive.h"

#include "core/format.h"

#include <QFile>
#include <QFileInfo>

#include <zip.h>

#include <algorithm>

namespace
{

QString tooBig()
{
    return QStringLiteral("it expands beyond %1, far more than a results file holds, and was not read")
        .arg(Fmt::megabytes(ZipArchive::MaxEntrySize));
}

struct FileClose {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

} // namespace

void ZipArchive::Close::operator()(zip* z) const
{
    // Opened for reading only: discarding writes nothing back.
    zip_discard(z);
}

ZipArchive::ZipArchive(const QString& path) : m_path(path) {}
ZipArchive::~ZipArchive() = default;

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

zip* ZipArchive::archive()
{
    if (m_zip)
        return m_zip.get();
    int code = 0;
    m_zip.reset(zip_open(QFile::encodeName(m_path).constData(), ZIP_RDONLY, &code));
    if (!m_zip) {
        zip_error_t e;
        zip_error_init_with_code(&e, code);
        m_error = QStringLiteral("not a readable zip archive (%1)")
                      .arg(QString::fromLocal8Bit(zip_error_strerror(&e)));
        zip_error_fini(&e);
    }
    return m_zip.get();
}

std::optional<QList<ZipArchive::Entry>> ZipArchive::entries()
{
    m_error.clear();
    zip* z = archive();
    if (!z)
        return std::nullopt;
    QList<Entry> list;
    const zip_int64_t count = zip_get_num_entries(z, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        // Names are UTF-8 when the archive says so, else read as the old DOS code page, as zip tools do.
        const char* name = zip_get_name(z, zip_uint64_t(index), ZIP_FL_ENC_GUESS);
        if (!name) {
            m_error = QStringLiteral("damaged zip archive (%1)").arg(QString::fromLocal8Bit(zip_strerror(z)));
            return std::nullopt;
        }
        const QString text = QString::fromUtf8(name);
        zip_stat_t st;
        const bool sized = zip_stat_index(z, zip_uint64_t(index), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE);
        if (!text.isEmpty() && !text.endsWith(QLatin1Char('/')))
            list.append({text, int(index), sized ? qint64(std::min<zip_uint64_t>(st.size, INT64_MAX)) : 0});
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const Entry& x, const Entry& y) { return x.name < y.name; });
    return list;
}

std::optional<QByteArray> ZipArchive::read(const Entry& entry)
{
    m_error.clear();
    zip* z = archive();
    if (!z)
        return std::nullopt;
    // The size the archive states is only a claim; the count of bytes actually expanded is what is checked.
    zip_stat_t st;
    if (zip_stat_index(z, zip_uint64_t(entry.index), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE) &&
        st.size > zip_uint64_t(MaxEntrySize)) {
        m_error = tooBig();
        return std::nullopt;
    }
    const std::unique_ptr<zip_file_t, FileClose> file(zip_fopen_index(z, zip_uint64_t(entry.index), 0));
    if (!file) {
        m_error = QStringLiteral("cannot be expanded (%1)").arg(QString::fromLocal8Bit(zip_strerror(z)));
        return std::nullopt;
    }
    QByteArray data;
    char buffer[64 * 1024];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            m_error = QStringLiteral("cannot be expanded (%1)")
                          .arg(QString::fromLocal8Bit(zip_file_strerror(file.get())));
            return std::nullopt;
        }
        if (data.size() + n > MaxEntrySize) {
            m_error = tooBig();
            return std::nullopt;
        }
        data.append(buffer, qsizetype(n));
    }
    return data;
}
