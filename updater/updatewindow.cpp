#include "updatewindow.h"

#include "widgets/artstyle.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

constexpr int WindowWidth = 440;
constexpr int WindowHeight = 150;
// The percentage bar counts to this; 64-bit byte counts are scaled down to it.
constexpr int BarSteps = 1000;

// Ink-and-parchment at night: indigo ground, parchment text, an ember bar.
QString windowStyle()
{
    return QStringLiteral("UpdateWindow { background: #1d2036; }"
                          "QLabel { color: %1; font-size: 14px; }"
                          "QLabel#title { font-family: 'Noto Serif', serif; font-size: 18px; }"
                          "QProgressBar { background: #2c3050; border: 1px solid #454a70; border-radius: %2px;"
                          " height: 12px; color: transparent; }"
                          "QProgressBar::chunk { border-radius: %2px;"
                          " background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 %3, stop:1 #f57438); }")
        .arg(QLatin1String(ArtStyle::Parchment))
        .arg(ArtStyle::PanelRadius)
        .arg(QLatin1String(ArtStyle::Ember));
}

} // namespace

UpdateWindow::UpdateWindow(const QString &version, QWidget *parent)
    : QWidget(parent)
    , m_title(new QLabel(this))
    , m_status(new QLabel(this))
    , m_bar(new QProgressBar(this))
{
    setWindowTitle(tr("Quillmere launcher update"));
    setFixedSize(WindowWidth, WindowHeight);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(windowStyle());
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setText(tr("Updating the launcher to %1").arg(version));
    m_bar->setRange(0, BarSteps);
    m_bar->setAccessibleName(tr("Update progress"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addWidget(m_title);
    layout->addWidget(m_status);
    layout->addWidget(m_bar);
}

void UpdateWindow::showStage(SelfUpdater::Stage stage)
{
    switch (stage) {
    case SelfUpdater::Stage::Waiting:
        m_status->setText(tr("Waiting for the launcher to close..."));
        break;
    case SelfUpdater::Stage::Downloading:
        m_status->setText(tr("Downloading..."));
        break;
    case SelfUpdater::Stage::Unpacking:
        m_status->setText(tr("Unpacking..."));
        break;
    case SelfUpdater::Stage::Replacing:
        m_status->setText(tr("Replacing the launcher's files..."));
        break;
    case SelfUpdater::Stage::Starting:
        m_status->setText(tr("Starting the new launcher..."));
        break;
    case SelfUpdater::Stage::RollingBack:
        m_status->setText(tr("The new launcher did not start; restoring the previous one..."));
        break;
    case SelfUpdater::Stage::Done:
        break;
    }
    // Only downloading and unpacking measure their progress.
    if (stage != SelfUpdater::Stage::Downloading && stage != SelfUpdater::Stage::Unpacking)
        m_bar->setRange(0, 0);
    else
        m_bar->setRange(0, BarSteps);
}

void UpdateWindow::showProgress(qint64 done, qint64 total)
{
    if (total <= 0)
        return;
    m_bar->setRange(0, BarSteps);
    m_bar->setValue(int(qBound<qint64>(0, done * BarSteps / total, BarSteps)));
}

void UpdateWindow::showResult(SelfUpdater::Result result, const QString &message)
{
    m_bar->setRange(0, BarSteps);
    m_bar->setValue(BarSteps);
    m_status->setText(result == SelfUpdater::Result::Updated ? tr("The launcher is up to date.") : message);
}
