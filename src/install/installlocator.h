#pragma once

#include <QObject>
#include <QString>

#include <functional>

class GameInstallPlugin;

// Takes an existing game installation that the user points at (the settings'
// "Change" of the install location) as the installed game. Only the game's
// own executable, by the manifest's name, with a readable version file
// beside it is accepted: any other choice would mark a stranger's folder as
// the game, which resource clearing could later delete.
class InstallLocator : public QObject
{
    Q_OBJECT
public:
    // What the located folder must hold beside the executable: its version
    // on the first line.
    static const QString VersionFileName;

    struct Collaborators
    {
        // Asked for the game's version once a folder was taken (quiet check).
        GameInstallPlugin *plugin = nullptr;
        // Whether a download or an extraction runs; nothing is located then.
        std::function<bool()> busy;
        // Shows the main button the new install state calls for.
        std::function<void()> refreshMainButton;
    };

    explicit InstallLocator(Collaborators collaborators, QObject *parent = nullptr);

    // The file dialog's filter: the game executable by the manifest's name, or any file.
    static QString fileFilter();
    // Where the file dialog starts: the shown location, else the edition's game folder.
    static QString startFolder(const QString &installationLocation);

    // Takes the folder of `file` as the installed game. Returns the text to
    // show when it is refused (and then nothing is changed), empty when it
    // was taken or nothing was chosen.
    QString locate(const QString &file);

signals:
    // A folder was taken: where (with "/" separators) and the version found there.
    void located(QString folder, QString version);

private:
    Collaborators m_collaborators;
};
