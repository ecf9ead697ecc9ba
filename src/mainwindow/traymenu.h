#pragma once

#include <QObject>
#include <QSystemTrayIcon>

class QAction;
class QMenu;
class QWidget;

// The launcher's notification-area icon and its menu ("Open", "Close"), for
// the window's whole life. While the window is hidden (the game runs, or the
// user closes to the tray) the icon is the way back and the way out.
class TrayMenu : public QObject
{
    Q_OBJECT
public:
    // Owned by `window`, which it shows again.
    explicit TrayMenu(QWidget *window);
    ~TrayMenu() override;

    QSystemTrayIcon *icon() const { return m_icon; }
    QMenu *menu() const { return m_menu; }
    QAction *openAction() const { return m_open; }
    QAction *closeAction() const { return m_close; }

    // Brings the window back from the tray or the task bar.
    void showAgain();

public slots:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

signals:
    // The menu's "Close": the window decides (it may ask first).
    void closeRequested();

private:
    QWidget *m_window = nullptr;
    QSystemTrayIcon *m_icon = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_open = nullptr;
    QAction *m_close = nullptr;
};
