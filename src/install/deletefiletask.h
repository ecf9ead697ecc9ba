#pragma once

#include <QObject>
#include <QStringList>

// Deletes the game's resources (the install folder, the downloads folder) on a
// thread of its own, reporting a percentage that only rises. Links are
// removed as links: nothing they point to is touched.
class DeleteFileTask : public QObject
{
    Q_OBJECT
public:
    explicit DeleteFileTask(QObject *parent = nullptr);

    // Why `installDir` must not be deleted as the game's folder; empty when it
    // may. Refused: an empty or relative path, a link, a root, the home
    // folder, the launcher's folder or a folder above it, and a folder that
    // holds neither the game's executable nor a version file ("version.txt"
    // or the launcher's own) - unless `launcherRecorded`: the folder of an
    // install the launcher itself started may be empty or half-filled. A
    // folder that does not exist is no refusal (there is nothing to delete).
    static QString refusalReason(const QString &installDir, const QString &launcherDir, const QString &gameExeFile,
        bool launcherRecorded = false);

public slots:
    void deleteFiles(const QStringList &paths);

signals:
    void updateProcess(int value);
    void deletefinish();

private:
    void count(const QString &path);
    void removeFolder(const QString &path);
    void advance();

    int m_fileCount = 0;
    int m_dirCount = 0;
    int m_doneCount = 0;
    int m_lastPercent = 0;
};
