#include "extract/folderwriter.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Folder descriptors kept open at most: a game has some hundreds of folders, and two or
// more archives are written side by side, so the cache is dropped now and then rather
// than let it near the process's descriptor limit.
constexpr int kMaxOpenFolders = 128;

int openFolderAt(int dir, const char *name)
{
    int fd;
    do
        fd = openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// What a place is called in messages: its bytes as the local encoding reads them.
QString shown(const QByteArray &place)
{
    return QString::fromLocal8Bit(place);
}

} // namespace

FolderWriter::FolderWriter(const QByteArray &root)
    : m_root(root)
{ }

FolderWriter::~FolderWriter()
{
    if (m_file >= 0)
        ::close(m_file);
    closeFolders();
    if (m_rootFd >= 0)
        ::close(m_rootFd);
}

void FolderWriter::closeFolders()
{
    for (int fd : qAsConst(m_folders))
        ::close(fd);
    m_folders.clear();
}

bool FolderWriter::open()
{
    m_rootFd = ::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_rootFd < 0)
        return fail(QStringLiteral("cannot open the folder %1: %2").arg(shown(m_root), errnoText(errno)));
    return true;
}

bool FolderWriter::fail(const QString &message)
{
    m_error = message;
    m_errno = 0;
    return false;
}

bool FolderWriter::failErrno(const QByteArray &place, int error)
{
    fail(QStringLiteral("cannot write %1: %2").arg(shown(place), errnoText(error)));
    m_errno = error;
    return false;
}

// The descriptor of the folder at `path` (the root when empty), walked down from the
// nearest folder already known. Missing folders are made when `create` is set; a file in
// the way is replaced by a folder, as the archive says; a symbolic link is refused.
int FolderWriter::folder(const QByteArray &path, bool create)
{
    if (path.isEmpty())
        return m_rootFd;
    if (const auto known = m_folders.constFind(path); known != m_folders.constEnd())
        return known.value();
    if (m_folders.size() >= kMaxOpenFolders)
        closeFolders();

    // The nearest known ancestor.
    int start = path.size();
    int dir = m_rootFd;
    for (;;) {
        start = path.lastIndexOf('/', start - 1);
        if (start < 0) {
            start = 0;
            break;
        }
        if (const auto known = m_folders.constFind(path.left(start)); known != m_folders.constEnd()) {
            dir = known.value();
            ++start;
            break;
        }
    }

    while (start < path.size()) {
        int end = path.indexOf('/', start);
        if (end < 0)
            end = path.size();
        const QByteArray name = path.mid(start, end - start);
        const QByteArray place = path.left(end);
        int fd = openFolderAt(dir, name.constData());
        if (fd < 0 && errno == ENOENT && create) {
            // Another archive written beside this one may make it first.
            if (mkdirat(dir, name.constData(), 0777) != 0 && errno != EEXIST) {
                failErrno(place, errno);
                return -1;
            }
            fd = openFolderAt(dir, name.constData());
        }
        if (fd < 0 && (errno == ENOTDIR || errno == ELOOP) && create) {
            struct stat st;
            if (fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
                fail(QStringLiteral("cannot write below %1: it is a symbolic link, not a folder").arg(shown(place)));
                return -1;
            }
            if (unlinkat(dir, name.constData(), 0) != 0
                || (mkdirat(dir, name.constData(), 0777) != 0 && errno != EEXIST)) {
                failErrno(place, errno);
                return -1;
            }
            fd = openFolderAt(dir, name.constData());
        }
        if (fd < 0) {
            if (errno == ELOOP)
                fail(QStringLiteral("cannot write below %1: it is a symbolic link, not a folder").arg(shown(place)));
            else
                failErrno(place, errno);
            return -1;
        }
        m_folders.insert(place, fd);
        dir = fd;
        start = end + 1;
    }
    return dir;
}

int FolderWriter::parentOf(const QByteArray &place, QByteArray *name)
{
    const int slash = place.lastIndexOf('/');
    *name = place.mid(slash + 1);
    return folder(slash < 0 ? QByteArray() : place.left(slash), true);
}

// Removes what stands at `name` so that an entry can take its place: a file or a link is
// unlinked (a link is never followed), an empty folder removed.
bool FolderWriter::clearPlace(int dir, const QByteArray &name, const QByteArray &place)
{
    if (unlinkat(dir, name.constData(), 0) == 0 || errno == ENOENT)
        return true;
    if ((errno == EISDIR || errno == EPERM) && unlinkat(dir, name.constData(), AT_REMOVEDIR) == 0) {
        if (m_folders.contains(place))
            ::close(m_folders.take(place));
        return true;
    }
    if (errno == ENOTEMPTY || errno == EEXIST)
        return fail(QStringLiteral("cannot write %1: a folder with content is in its place").arg(shown(place)));
    return failErrno(place, errno);
}

void FolderWriter::setRecording(bool on)
{
    m_hash.reset(on ? new StreamXxh128 : nullptr);
}

QVector<ManifestEntry> FolderWriter::writtenFiles() const
{
    QVector<ManifestEntry> files;
    files.reserve(m_written.size());
    for (const ManifestEntry &e : m_written) {
        if (!e.place.isEmpty())
            files.append(e);
    }
    return files;
}

void FolderWriter::record(const QByteArray &place, qint64 size, const QByteArray &digest)
{
    ManifestEntry entry;
    entry.place = place;
    entry.size = size;
    entry.xxh128 = digest;
    const auto at = m_writtenAt.constFind(place);
    if (at != m_writtenAt.constEnd()) {
        m_written[at.value()] = entry;
        return;
    }
    m_writtenAt.insert(place, m_written.size());
    m_written.append(entry);
}

// A place no longer holding a file that was written (a folder or link took it).
void FolderWriter::forget(const QByteArray &place)
{
    const auto at = m_writtenAt.constFind(place);
    if (at == m_writtenAt.constEnd())
        return;
    m_written[at.value()].place.clear();
    m_writtenAt.erase(at);
}

// The digest of the file just written: from the blocks fed while writing, its end filled
// with the zeros a hole leaves; read back only when blocks came out of order.
QByteArray FolderWriter::digestOfWritten(qint64 size)
{
    if (m_inOrder) {
        m_hash->addZeros(size - m_hashed);
        return m_hash->hexResult();
    }
    m_hash->reset();
    const int fd = openat(m_fileDir, m_fileName.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    std::vector<char> block(size_t(1) << 20);
    ssize_t n;
    while ((n = ::read(fd, block.data(), block.size())) > 0)
        m_hash->add(block.data(), size_t(n));
    ::close(fd);
    return n < 0 ? QByteArray() : m_hash->hexResult();
}

bool FolderWriter::makeFolder(const QByteArray &place, mode_t mode, const Times &times)
{
    forget(place);
    QByteArray name;
    const int dir = parentOf(place, &name);
    if (dir < 0)
        return false;
    if (!m_folders.contains(place)) {
        int fd = openFolderAt(dir, name.constData());
        if (fd < 0 && errno == ENOENT) {
            if (mkdirat(dir, name.constData(), mode) != 0 && errno != EEXIST)
                return failErrno(place, errno);
            fd = openFolderAt(dir, name.constData());
        }
        if (fd < 0 && (errno == ENOTDIR || errno == ELOOP)) {
            // A file or a link where the folder goes: the link itself is replaced, never followed.
            if (unlinkat(dir, name.constData(), 0) != 0
                || (mkdirat(dir, name.constData(), mode) != 0 && errno != EEXIST))
                return failErrno(place, errno);
            fd = openFolderAt(dir, name.constData());
        }
        if (fd < 0)
            return failErrno(place, errno);
        if (m_folders.size() >= kMaxOpenFolders)
            ::close(fd);
        else
            m_folders.insert(place, fd);
    }
    if (times.set)
        m_folderTimes.append(qMakePair(place, times));
    return true;
}

bool FolderWriter::makeSymlink(const QByteArray &place, const QByteArray &target, const Times &times)
{
    forget(place);
    QByteArray name;
    const int dir = parentOf(place, &name);
    if (dir < 0)
        return false;
    if (symlinkat(target.constData(), dir, name.constData()) != 0) {
        if (errno != EEXIST)
            return failErrno(place, errno);
        if (!clearPlace(dir, name, place))
            return false;
        if (symlinkat(target.constData(), dir, name.constData()) != 0)
            return failErrno(place, errno);
    }
    if (times.set) {
        const struct timespec both[2] = {times.access, times.modified};
        utimensat(dir, name.constData(), both, AT_SYMLINK_NOFOLLOW);
    }
    return true;
}

bool FolderWriter::makeHardlink(const QByteArray &place, const QByteArray &existing)
{
    QByteArray existingName;
    const int existingParent = parentOf(existing, &existingName);
    if (existingParent < 0)
        return false;
    // Finding the new link's folder may drop the descriptor cache.
    const int from = fcntl(existingParent, F_DUPFD_CLOEXEC, 0);
    if (from < 0)
        return failErrno(place, errno);
    QByteArray name;
    const int dir = parentOf(place, &name);
    bool ok = dir >= 0;
    if (ok && linkat(from, existingName.constData(), dir, name.constData(), 0) != 0) {
        if (errno != EEXIST)
            ok = failErrno(place, errno);
        else if (!clearPlace(dir, name, place))
            ok = false;
        else if (linkat(from, existingName.constData(), dir, name.constData(), 0) != 0)
            ok = failErrno(place, errno);
    }
    ::close(from);
    if (!ok)
        return false;
    // Data that follows goes into the linked file; its name is not ours to remove.
    m_file = openat(dir, name.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (m_file < 0)
        return failErrno(place, errno);
    m_fileDir = -1;
    m_filePlace = place;
    if (m_hash) {
        m_hash->reset();
        m_hashed = 0;
        m_inOrder = true;
        m_linkedFrom = existing;
    }
    return true;
}

bool FolderWriter::beginFile(const QByteArray &place, mode_t mode)
{
    QByteArray name;
    const int dir = parentOf(place, &name);
    if (dir < 0)
        return false;
    // O_EXCL with O_NOFOLLOW: never into an existing file (another name may be linked to
    // it) and never through a link; what is there is removed first.
    constexpr int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = openat(dir, name.constData(), flags, mode);
    if (fd < 0 && errno == EEXIST) {
        if (!clearPlace(dir, name, place))
            return false;
        fd = openat(dir, name.constData(), flags, mode);
    }
    if (fd < 0)
        return failErrno(place, errno);
    m_file = fd;
    m_fileDir = dir;
    m_fileName = name;
    m_filePlace = place;
    if (m_hash) {
        m_hash->reset();
        m_hashed = 0;
        m_inOrder = true;
        m_linkedFrom.clear();
    }
    return true;
}

bool FolderWriter::writeData(const void *data, size_t size, qint64 offset)
{
    if (m_hash && m_inOrder) {
        if (offset < m_hashed) {
            m_inOrder = false;
        } else {
            m_hash->addZeros(offset - m_hashed);
            m_hash->add(data, size);
            m_hashed = offset + qint64(size);
        }
    }
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = pwrite(m_file, p, size, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return failErrno(m_filePlace, n < 0 ? errno : ENOSPC);
        p += n;
        size -= size_t(n);
        offset += n;
    }
    return true;
}

bool FolderWriter::endFile(qint64 size, const Times &times)
{
    struct stat st;
    bool ok = fstat(m_file, &st) == 0 || failErrno(m_filePlace, errno);
    // Data that ended in a hole leaves the file short of its size.
    if (ok && st.st_size < size && ftruncate(m_file, off_t(size)) != 0)
        ok = failErrno(m_filePlace, errno);
    if (ok && times.set) {
        const struct timespec both[2] = {times.access, times.modified};
        if (futimens(m_file, both) != 0)
            ok = failErrno(m_filePlace, errno);
    }
    if (!ok) {
        abandonFile();
        return false;
    }
    const int fd = m_file;
    m_file = -1;
    // A failed close can be the first report of a failed write (a network drive, a quota).
    if (::close(fd) != 0 && errno != EINTR) {
        const int error = errno;
        struct stat there;
        if (m_fileDir >= 0 && fstatat(m_fileDir, m_fileName.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0
            && there.st_dev == st.st_dev && there.st_ino == st.st_ino)
            unlinkat(m_fileDir, m_fileName.constData(), 0);
        return failErrno(m_filePlace, error);
    }
    if (m_hash) {
        const auto linked = m_writtenAt.constFind(m_linkedFrom);
        if (!m_linkedFrom.isEmpty() && m_hashed == 0 && linked != m_writtenAt.constEnd()) {
            // A hard link without data of its own: the file it names.
            const ManifestEntry same = m_written[linked.value()];
            record(m_filePlace, same.size, same.xxh128);
        } else {
            const qint64 whole = qMax(size, qint64(st.st_size));
            const QByteArray digest = m_fileDir >= 0 || m_inOrder ? digestOfWritten(whole) : QByteArray();
            record(m_filePlace, whole, digest);
            if (!m_linkedFrom.isEmpty())
                record(m_linkedFrom, whole, digest);
        }
    }
    return true;
}

void FolderWriter::abandonFile()
{
    if (m_file < 0)
        return;
    if (m_hash)
        forget(m_filePlace);
    struct stat mine, there;
    if (m_fileDir >= 0 && fstat(m_file, &mine) == 0
        && fstatat(m_fileDir, m_fileName.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 && mine.st_dev == there.st_dev
        && mine.st_ino == there.st_ino)
        unlinkat(m_fileDir, m_fileName.constData(), 0);
    ::close(m_file);
    m_file = -1;
}

bool FolderWriter::finish()
{
    for (const auto &entry : qAsConst(m_folderTimes)) {
        const QByteArray &place = entry.first;
        const int slash = place.lastIndexOf('/');
        const int dir = folder(slash < 0 ? QByteArray() : place.left(slash), false);
        const QByteArray name = place.mid(slash + 1);
        const struct timespec both[2] = {entry.second.access, entry.second.modified};
        if (dir < 0 || utimensat(dir, name.constData(), both, AT_SYMLINK_NOFOLLOW) != 0)
            return failErrno(place, dir < 0 ? ENOENT : errno);
    }
    m_folderTimes.clear();
    closeFolders();
    return true;
}
