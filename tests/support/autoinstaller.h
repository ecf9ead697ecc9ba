#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

#include <memory>

class GameInstallPlugin;
class MainWindow;

// The real main window installing the game without a player: it answers every
// state of the install display as a player would (install into the offered
// folder, take the offered update, resume a paused download, extract what
// waits) until the game is playable. For children of tests that are killed and started again, and for
// the install benchmark. The caller points the application folder (TestEnv)
// first.
class AutoInstaller : public QObject
{
    Q_OBJECT
public:
    // `rateLimit` in bytes per second, -1 for none. `verbose` prints the states,
    // the first package address and the extraction progress on stdout.
    AutoInstaller(const QString &serviceBase, qint64 rateLimit, bool verbose);
    ~AutoInstaller() override;

    void start();
    MainWindow *window() const { return m_window.get(); }

signals:
    void installed();

private:
    void answer(int state);

    QNetworkAccessManager m_network;
    GameInstallPlugin *m_plugin = nullptr;
    std::unique_ptr<MainWindow> m_window;
    bool m_verbose = false;
};
