#pragma once

#include "install/gameversioninfo.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks where the game goes before a download starts: the install folder, the
// package sizes and the free space, refusing to go on while the drives lack
// the room the install will need. Its record is read again on every show, so
// the sizes are those of the download about to start.
class DownloadPathSettingDialog : public QDialog
{
    Q_OBJECT
public:
    struct Collaborators
    {
        // The working version record (the main window's).
        std::function<GameVersionInfo()> versionInfo;
        // Bytes free on the volume of a path; null: FileUtil::freeSpace.
        std::function<qint64(const QString &path)> freeSpace;
        // The volume a path lies on; null: QStorageInfo's root of the nearest existing folder.
        std::function<QString(const QString &path)> volumeOf;
    };

    DownloadPathSettingDialog(Collaborators collaborators, QWidget *parent, Qt::WindowFlags flags = {});

    // The folder shown, with native separators.
    QString path() const;
    // Shows `folder` + the game's folder name, as a pick in the folder picker does.
    void choose(const QString &folder);
    // Whether the chosen place has the room the install needs.
    bool hasRoom() const { return m_hasRoom; }

signals:
    void dialogConfirm();

public slots:
    // The close button, Escape and the window system: the path is kept all the same.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Buttons
    {
        QPushButton *change;
        QPushButton *close;
    };
    Buttons buildPanel(QWidget *panel);
    static QString styleRules();
    void refresh();
    void checkSpace();
    void storePath();
    qint64 freeSpace(const QString &path) const;
    QString volumeOf(const QString &path) const;

    Collaborators m_collaborators;
    GameVersionInfo m_info;
    bool m_hasRoom = false;
    QLineEdit *m_path = nullptr;
    QLabel *m_zipSize = nullptr;
    QLabel *m_zipRoom = nullptr;
    QLabel *m_dirRoom = nullptr;
    QCheckBox *m_roomError = nullptr;
    QPushButton *m_install = nullptr;
};
