#include "mainwindow/mainwindow.h"

#include "app/launcherconfig.h"

#include <QLabel>
#include <QVBoxLayout>

MainWindow *MainWindow::instance()
{
    static MainWindow *window = nullptr;
    if (!window)
        window = new MainWindow;
    return window;
}

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(1280, 720);
    setObjectName(QStringLiteral("MainWindow"));
    setStyleSheet(QStringLiteral("#MainWindow { background: #1b1f2a; } QLabel { color: #e8e2d0; }"));

    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(LauncherConfig::instance()->manifestValue(QStringLiteral("app_displayname")), this);
    title->setAlignment(Qt::AlignCenter);
    QFont font = title->font();
    font.setPointSize(36);
    title->setFont(font);
    m_status = new QLabel(tr("Launcher %1").arg(LauncherConfig::applicationVersion()), this);
    m_status->setAlignment(Qt::AlignCenter);
    layout->addStretch();
    layout->addWidget(title);
    layout->addWidget(m_status);
    layout->addStretch();
}

void MainWindow::setLanguageCode(const QString &code)
{
    m_languageCode = code;
}
