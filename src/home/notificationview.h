#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

class NotificationPlugin;
class QLabel;
class QPushButton;

// The notification alert: a 460 x 230 pop-up at the bottom-right corner of
// the primary screen's available area, with the banner image behind a bar
// holding the game icon, the title and text, and a close button. Its look
// comes from the application style sheet.
class NotificationView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 460;
    static constexpr int kHeight = 230;
    static constexpr int kBarHeight = 90;

    explicit NotificationView(QWidget *parent = nullptr);

    // Shows `plugin`'s alerts: one view at a time, built for the first alert
    // and deleted (after its close signal returned) when the user closes it.
    static void present(NotificationPlugin *plugin);

    // Closes every open alert because the game is starting: its message
    // counts as seen, but no dismissal is reported, since a dismissal brings
    // the launcher forward over the game.
    static void closeOpenAlerts();

    // A null image shows the built-in picture.
    void setImage(const QPixmap &image);
    void setContent(const QString &title, const QString &content);

signals:
    void messageClicked();
    void messageClosed();
    // Closed by the launcher, not by the player.
    void messageSetAside();

public slots:
    void onCloseButtonClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QLabel *m_background = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_content = nullptr;
    QPushButton *m_closeButton = nullptr;
};
