#pragma once

#include <QObject>

class QPushButton;
class QTimer;
class QWidget;
class TriangleWidget;

// The play-settings button beside the play button and the small pop-up it
// opens on hover, or as a menu when pressed: clear the game's resources, check for a game update, verify the files.
class PlaySettingPopup : public QObject
{
    Q_OBJECT
public:
    explicit PlaySettingPopup(QWidget *window);

    // The button's widget, shown with the play button.
    QWidget *widget() const { return m_widget; }
    TriangleWidget *popup() const { return m_popup; }

signals:
    void clearRequested();
    void checkRequested();
    void verifyRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addEntry(const char *name, const char *key);
    void place();
    void openAsMenu();

    QWidget *m_widget = nullptr;
    QPushButton *m_button = nullptr;
    TriangleWidget *m_popup = nullptr;
    QTimer *m_hideTimer = nullptr;
};
