#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class CheckProcessThread;

// Starts the installed game and watches it until it ends, so that the window
// can step aside while the game runs and come back afterwards. The watch
// follows the id of the started process; the process list is searched by the
// executable's name only when the id is unknown.
class GameLauncher : public QObject
{
    Q_OBJECT
public:
    // How long after the start the watch begins; tests shorten it.
    static constexpr int kWatchDelayMs = 10000;

    explicit GameLauncher(QObject *parent = nullptr);
    ~GameLauncher() override;

    // Starts the game detached. On failure nothing else happens and `error`
    // holds the text to show the player. On success the downloaded archives
    // left in "Downloads/" are removed and, when the player wants the launcher
    // back after the game ("popup_on_gameexit"), the watch is scheduled.
    bool launch(QString *error);

    void setWatchDelay(int ms) { m_watchDelay.setInterval(ms); }
    qint64 processId() const { return m_processId; }
    bool isWatching() const;
    // Whether the game this launcher started still runs (watched or not).
    bool isGameRunning() const;

    // Stops a scheduled or running watch and waits for its thread: at quit,
    // and before each new launch.
    void stopWatch();

    // Deletes every file directly in `folder` whose name ends with ".7z"
    // (case-sensitive); sub-folders and symbolic links stay. Returns how many
    // were removed.
    static int removeLeftoverArchives(const QString &folder);

signals:
    // Once per poll of the watch.
    void watched(bool running);
    // The watched game is no longer running; the watch has stopped.
    void gameEnded();

public slots:
    // Starts one watch of the last started game.
    void CheckGameExeList();

private:
    void onWatchResult(bool isOpen);

    QTimer m_watchDelay;
    std::unique_ptr<CheckProcessThread> m_watch;
    QString m_executableName;
    qint64 m_processId = 0;
};
