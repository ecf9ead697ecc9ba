#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include "install/installmanifest.h"

#include <memory>

#include <sys/stat.h>
#include <sys/types.h>

// Writes the entries of an archive below one folder, never outside it. Every name is
// opened relative to the descriptor of the folder that holds it, one component at a
// time and with O_NOFOLLOW, so a symbolic link on the way (left in the folder by
// anything, or made by an earlier entry) is refused instead of followed; the last
// component of an entry replaces whatever link or file is there. Folders are made and
// checked once and their descriptors kept, so a file costs one open, its writes and one
// close, where a walk from the root per entry cost a dozen system calls.
//
// Places are relative paths of plain components joined by "/" (no "", "." or ".."), as
// ArchiveExtractor's checks leave them. A failed call leaves errorString() set.
class FolderWriter
{
public:
    struct Times
    {
        bool set = false; // false: the times are left as the system sets them
        struct timespec access
        {
        };
        struct timespec modified
        {
        };
    };

    // `root` is the real path of an existing folder.
    explicit FolderWriter(const QByteArray &root);
    ~FolderWriter();
    FolderWriter(const FolderWriter &) = delete;
    FolderWriter &operator=(const FolderWriter &) = delete;

    bool open();
    QString errorString() const { return m_error; }
    // The system's error number of the last failure (ENOSPC: the drive is full); 0 when none.
    int errorNumber() const { return m_errno; }

    // A folder entry: made when missing; its times are set by finish(), when nothing more
    // goes into it.
    bool makeFolder(const QByteArray &place, mode_t mode, const Times &times);
    bool makeSymlink(const QByteArray &place, const QByteArray &target, const Times &times);
    // A hard link to an entry made before; writeData() then writes into it.
    bool makeHardlink(const QByteArray &place, const QByteArray &existing);

    // A regular file: created fresh (what was there is replaced, never written through),
    // then written block by block and closed by endFile(), or removed by abandonFile().
    bool beginFile(const QByteArray &place, mode_t mode);
    bool writeData(const void *data, size_t size, qint64 offset);
    bool endFile(qint64 size, const Times &times);
    // Removes the file being written, if its name still holds it (another archive written
    // beside this one may have replaced it since), and closes it.
    void abandonFile();

    // Sets the times of the folder entries; call once at the end.
    bool finish();

    // Keeps a record of every regular file written whole: its place, size and the XXH3-128
    // of its bytes, taken from the blocks as they are written (never by reading it again,
    // unless an archive wrote it out of order). Call before the first entry.
    void setRecording(bool on);
    // The files written so far, each once, in the order they were first written.
    QVector<ManifestEntry> writtenFiles() const;

private:
    int folder(const QByteArray &path, bool create);
    int parentOf(const QByteArray &place, QByteArray *name);
    bool clearPlace(int dir, const QByteArray &name, const QByteArray &place);
    bool failErrno(const QByteArray &place, int error);
    bool fail(const QString &message);
    void closeFolders();
    void record(const QByteArray &place, qint64 size, const QByteArray &digest);
    void forget(const QByteArray &place);
    QByteArray digestOfWritten(qint64 size);

    QByteArray m_root;
    int m_rootFd = -1;
    // Descriptors of the folders made or checked so far, by place; bounded.
    QHash<QByteArray, int> m_folders;
    QList<QPair<QByteArray, Times>> m_folderTimes;
    int m_file = -1;
    int m_fileDir = -1;
    QByteArray m_fileName;
    QByteArray m_filePlace;
    QString m_error;
    int m_errno = 0;

    std::unique_ptr<StreamXxh128> m_hash; // set while recording
    qint64 m_hashed = 0; // bytes of the current file fed to m_hash
    bool m_inOrder = true; // every block so far came at or after m_hashed
    QByteArray m_linkedFrom; // the current file is a hard link to this place
    QVector<ManifestEntry> m_written;
    QHash<QByteArray, int> m_writtenAt;
};
