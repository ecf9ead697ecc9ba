#include "updatewindow.h"

#include "widgets/artstyle.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QRawFont>
#include <QVBoxLayout>

namespace {

constexpr int WindowWidth = 440;
constexpr int WindowHeight = 150;
// The percentage bar counts to this; 64-bit byte counts are scaled down to it.
constexpr int BarSteps = 1000;

// The title's serif face where it draws every character of the title; else
// (Chinese, Japanese, Korean) the interface's face of the language, so that a
// title is never a patchwork of faces.
QString titleFamily(const QString &title)
{
    const QString serif = QStringLiteral("Noto Serif");
    const QRawFont face = QRawFont::fromFont(QFont(serif));
    const QVector<uint> characters = title.toUcs4();
    for (const uint character : characters) {
        if (!face.supportsCharacter(character))
            return QApplication::font().family();
    }
    return serif;
}

// Ink-and-parchment at night: indigo ground, parchment text, an ember bar.
QString windowStyle(const QString &titleFamily)
{
    return QStringLiteral("UpdateWindow { background: #1d2036; }"
                          "QLabel { color: %1; font-size: 14px; }"
                          "QLabel#title { font-family: '%4'; font-size: 18px; }"
                          "QProgressBar { background: #2c3050; border: 1px solid #454a70; border-radius: %2px;"
                          " height: 12px; color: transparent; }"
                          "QProgressBar::chunk { border-radius: %2px;"
                          " background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 %3, stop:1 #f57438); }")
        .arg(QLatin1String(ArtStyle::Parchment))
        .arg(ArtStyle::PanelRadius)
        .arg(QLatin1String(ArtStyle::Ember))
        .arg(titleFamily);
}

} // namespace

UpdateWindow::UpdateWindow(const QString &version, QWidget *parent)
    : QWidget(parent)
    , m_title(new QLabel(this))
    , m_status(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_version(version)
{
    setWindowTitle(tr("Quillmere launcher update"));
    setFixedSize(WindowWidth, WindowHeight);
    setAttribute(Qt::WA_StyledBackground);
    // The version comes from the command line: shown as text, never as markup.
    m_title->setTextFormat(Qt::PlainText);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setText(tr("Updating the launcher to %1").arg(version));
    setStyleSheet(windowStyle(titleFamily(m_title->text())));
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
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

// The updater's own account (paths, process ids) is in its log, in English;
// the window says in a sentence what it means for the player.
void UpdateWindow::showResult(SelfUpdater::Result result)
{
    m_bar->setRange(0, BarSteps);
    m_bar->setValue(BarSteps);
    switch (result) {
    case SelfUpdater::Result::Updated:
        m_status->setText(tr("The launcher is up to date."));
        break;
    case SelfUpdater::Result::RolledBack:
        m_status->setText(tr("Version %1 did not start; the previous version was restored.").arg(m_version));
        break;
    case SelfUpdater::Result::Failed:
        m_status->setText(tr("The launcher could not be updated; nothing was changed."));
        break;
    }
}
