#include "support/virtualscreen.h"

#include <QProcessEnvironment>
#include <QTest>

VirtualScreen::VirtualScreen()
{
    // Xvfb picks a free display itself and names it on the descriptor it is
    // given once it accepts clients.
    m_server.start(QStringLiteral("Xvfb"),
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("1280x720x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QByteArray said;
    // Whether it said something is read from `said` below.
    static_cast<void>(QTest::qWaitFor(
        [&] {
            said += m_server.readAllStandardOutput();
            return said.contains('\n') || m_server.state() == QProcess::NotRunning;
        },
        30000));
    bool ok = false;
    const int display = said.trimmed().toInt(&ok);
    if (ok && m_server.state() == QProcess::Running)
        m_display = QStringLiteral(":%1").arg(display);
    else
        m_error = QStringLiteral("Xvfb did not start (scripts/bootstrap installs it): %1 %2")
                      .arg(m_server.errorString(), QString::fromLocal8Bit(m_server.readAllStandardError()));
}

VirtualScreen::~VirtualScreen()
{
    m_server.terminate();
    m_server.waitForFinished(5000);
}

void VirtualScreen::click(const QPoint &at) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
            QStringLiteral("1")});
    tool.waitForFinished(10000);
}
