#include "core/replacingfile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

/** The file a name stands for once every link on the way is followed; a name that is not there yet is the
    file to create. */
std::optional<QByteArray> followLinks(QByteArray path, QString& error)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {
        };
        if (::lstat(path.constData(), &st) != 0) {
            if (errno == ENOENT)
                return path;
            error = systemError(errno);
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode))
            return path;
        QByteArray link(qsizetype(st.st_size > 0 ? st.st_size : 4096) + 1, Qt::Uninitialized);
        const ssize_t n = ::readlink(path.constData(), link.data(), std::size_t(link.size()));
        if (n < 0 || n >= link.size()) {
            error = systemError(n < 0 ? errno : ENAMETOOLONG);
            return std::nullopt;
        }
        link.truncate(n);
        if (!link.startsWith('/'))
            link.prepend(path.left(path.lastIndexOf('/') + 1));
        path = link;
    }
    error = systemError(ELOOP);
    return std::nullopt;
}

/** Why a target that is there cannot be replaced, or empty for a regular file. */
QString refusal(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    const char* kind = S_ISFIFO(mode)                   ? "a named pipe"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISDIR(mode)                  ? "a folder"
                       : S_ISSOCK(mode)                 ? "a socket"
                                                        : "something other than a file";
    return QStringLiteral("it is %1, not a regular file; nothing was written").arg(QLatin1String(kind));
}

} // namespace

ReplacingFile::ReplacingFile(const QString& target) : m_target(target) {}

ReplacingFile::~ReplacingFile()
{
    discard();
}

bool ReplacingFile::open(OpenMode mode)
{
    if (isOpen() || !(mode & WriteOnly) || (mode & (ReadOnly | Append))) {
        setErrorString(QStringLiteral("a replacing file is opened once, for writing only"));
        return false;
    }
    m_failed = false;
    QString error;
    const auto final = followLinks(QFile::encodeName(m_target), error);
    if (!final) {
        setErrorString(error);
        return false;
    }
    m_final = *final;
    struct stat st {
    };
    const bool exists = ::lstat(m_final.constData(), &st) == 0;
    if (exists && !(error = refusal(st.st_mode)).isEmpty()) {
        setErrorString(error);
        return false;
    }
    m_keepOwner = exists;
    m_mode = st.st_mode & 07777;
    m_uid = st.st_uid;
    m_gid = st.st_gid;

    // A fresh name each time, created only if it is free: a name known in advance is one another program
    // could have put a link or a pipe under.
    const qsizetype slash = m_final.lastIndexOf('/');
    const QByteArray dir = m_final.left(slash + 1);
    const QByteArray base = m_final.mid(slash + 1).left(200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = dir + '.' + base + '.' +
                                QByteArray::number(QRandomGenerator::system()->generate64(), 36) + ".new";
        // An existing target's new file is private until it takes the old one's permissions; a new target's
        // gets what the user's umask allows, as any new file does.
        m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                      exists ? 0600 : 0666);
        if (m_fd >= 0) {
            m_temporary = name;
            return QIODevice::open(mode | Unbuffered);
        }
        if (errno != EEXIST)
            break;
    }
    setErrorString(systemError(errno));
    return false;
}

void ReplacingFile::close()
{
    discard();
    QIODevice::close();
}

QString ReplacingFile::temporaryPath() const
{
    return QFile::decodeName(m_temporary);
}

void ReplacingFile::fail(const QString& reason)
{
    if (!m_failed)
        setErrorString(reason);
    m_failed = true;
}

void ReplacingFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    m_temporary.clear();
}

qint64 ReplacingFile::readData(char*, qint64)
{
    return -1;
}

qint64 ReplacingFile::writeData(const char* data, qint64 size)
{
    if (m_failed || m_fd < 0)
        return -1;
    for (qint64 done = 0; done < size;) {
        const ssize_t n = ::write(m_fd, data + done, std::size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(systemError(n < 0 ? errno : EIO));
            return -1;
        }
        done += n;
    }
    return size;
}

bool ReplacingFile::commit()
{
    const auto stop = [this](const QString& reason) {
        fail(reason);
        discard();
        QIODevice::close();
        return false;
    };
    if (m_fd < 0)
        return stop(errorString().isEmpty() ? QStringLiteral("the file was not opened") : errorString());
    if (m_failed)
        return stop(errorString());
    if (::fsync(m_fd) != 0)
        return stop(systemError(errno));
    if (m_keepOwner) {
        if ((m_uid != ::geteuid() || m_gid != ::getegid()) && ::fchown(m_fd, m_uid, m_gid) != 0) {
            // Giving a file away is for root only: anyone else's replacement is theirs, as any file they
            // write is.
        }
        if (::fchmod(m_fd, m_mode) != 0)
            return stop(systemError(errno));
    }
    // The new file must still be the one created here, and the target must not have turned into something
    // that is not a file since it was looked at.
    struct stat mine {
    }, named{}, target{};
    if (::fstat(m_fd, &mine) != 0 || ::lstat(m_temporary.constData(), &named) != 0 ||
        mine.st_dev != named.st_dev || mine.st_ino != named.st_ino)
        return stop(QStringLiteral("another program replaced the file while it was written"));
    if (::lstat(m_final.constData(), &target) == 0 && !refusal(target.st_mode).isEmpty())
        return stop(refusal(target.st_mode));
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return stop(systemError(errno));
    if (::rename(m_temporary.constData(), m_final.constData()) != 0)
        return stop(systemError(errno));
    m_temporary.clear();
    // The rename is only lasting once the folder is on the disk too. The file is in place whatever this
    // gives, so a file system that cannot sync a folder is no failure.
    const qsizetype slash = m_final.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : m_final.left(slash);
    const int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    QIODevice::close();
    return true;
}

QString writeWholeFile(const QString& path, const QByteArray& bytes)
{
    ReplacingFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(bytes);
    return file.commit() ? QString() : file.errorString();
}
