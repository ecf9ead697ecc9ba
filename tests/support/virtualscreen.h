#pragma once

#include <QPoint>
#include <QProcess>
#include <QString>

// A private X server (Xvfb) with the launcher's own size, so that a centred
// launcher window sits at (0, 0) and its widgets' positions are screen
// positions; click() clicks there with xdotool.
class VirtualScreen
{
public:
    VirtualScreen();
    ~VirtualScreen();

    VirtualScreen(const VirtualScreen &) = delete;
    VirtualScreen &operator=(const VirtualScreen &) = delete;

    // ":N", or empty when the server did not start (see error()).
    QString display() const { return m_display; }
    QString error() const { return m_error; }
    void click(const QPoint &at) const;

private:
    QProcess m_server;
    QString m_display;
    QString m_error;
};
