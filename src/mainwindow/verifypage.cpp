#include "mainwindow/verifypage.h"

#include "app/texts.h"
#include "mainwindow/installdisplay.h"
#include "mainwindow/verifyflow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cmath>

VerifyPage::VerifyPage(QWidget *page)
{
    // The download page's look: the texts on the same quiet shade, the buttons beside it.
    auto *column = new QWidget(page);
    column->setObjectName(QStringLiteral("progressShade_verify"));
    column->setAttribute(Qt::WA_StyledBackground);
    column->setGeometry(18, 22, 466, 80);
    m_status = InstallDisplay::makeLabel(QStringLiteral("label_verifyStatus"), QString(), column);
    m_percent = InstallDisplay::makeLabel(QStringLiteral("label_verifyProcess"), QString(), column);
    m_bar = new QProgressBar(column);
    m_bar->setObjectName(QStringLiteral("progressBar_verify"));
    m_bar->setRange(0, 10000);
    m_bar->setTextVisible(false);
    m_bar->setFixedHeight(6);
    m_sizes = InstallDisplay::makeLabel(QStringLiteral("label_verifySizes"), QString(), column);
    m_timeLeft = InstallDisplay::makeLabel(QStringLiteral("label_verifyTime"), QString(), column);
    auto *top = new QHBoxLayout;
    top->addWidget(m_status);
    top->addStretch();
    top->addWidget(m_percent);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_sizes);
    bottom->addStretch();
    bottom->addWidget(m_timeLeft);
    auto *rows = new QVBoxLayout(column);
    rows->setContentsMargins(12, 8, 12, 8);
    rows->setSpacing(6);
    rows->addLayout(top);
    rows->addWidget(m_bar);
    rows->addLayout(bottom);

    m_buttons = new QStackedWidget(page);
    m_buttons->setObjectName(QStringLiteral("stackedWidget_verifyButton"));
    m_buttons->setGeometry(490, 14, 51, 51);
    m_pauseButton
        = InstallDisplay::makeButton(QStringLiteral("pushButton_verifyPause"), m_buttons, QRect(0, 0, 51, 51));
    m_resumeButton
        = InstallDisplay::makeButton(QStringLiteral("pushButton_verifyResume"), m_buttons, QRect(0, 0, 51, 51));
    m_buttons->addWidget(m_pauseButton);
    m_buttons->addWidget(m_resumeButton);
    m_cancelButton
        = InstallDisplay::makeButton(QStringLiteral("pushButton_verifyCancel"), page, QRect(498, 76, 36, 36));
    m_cancelButton->setToolTip(QCoreApplication::translate("MainWindow", "Cancel"));
    m_bar->setAccessibleName(tr("accessible_verifyProgress"));
    m_pauseButton->setAccessibleName(tr("accessible_verifyPause"));
    m_resumeButton->setAccessibleName(tr("accessible_verifyResume"));
    m_cancelButton->setAccessibleName(tr("accessible_verifyCancel"));
}

void VerifyPage::begin(bool repairing)
{
    m_repairing = repairing;
    m_status->setText(repairing ? tr("verifyRepairing") : tr("verifyRunning"));
    m_sizes->clear();
    m_timeLeft->clear();
    showShare(0.0);
    m_buttons->setCurrentIndex(0);
    m_buttons->setVisible(!repairing);
}

void VerifyPage::showCheck(const VerifyProgress &progress)
{
    const double share = progress.bytesTotal > 0 ? double(progress.bytesDone) / double(progress.bytesTotal)
                                                 : (progress.filesTotal > 0 ? 1.0 : 0.0);
    showShare(share);
    m_sizes->setText(tr("verifyFilesBytes")
                         .arg(progress.filesDone)
                         .arg(progress.filesTotal)
                         .arg(sizeText(quint64(progress.bytesDone)), sizeText(quint64(progress.bytesTotal))));
    m_timeLeft->setText(
        progress.secondsLeft >= 0 ? tr("verifyTimeLeft").arg(durationText(progress.secondsLeft)) : QString());
    m_bar->setToolTip(VerifyFlow::progressText(progress));
}

void VerifyPage::showRepair(const QString &phase, qint64 done, qint64 total)
{
    showShare(total > 0 ? double(done) / double(total) : 0.0);
    // The check after the repair counts bytes; fetching and extracting only a share.
    if (phase == QLatin1String("verify"))
        m_sizes->setText(sizeText(quint64(done)) + QStringLiteral(" / ") + sizeText(quint64(total)));
    else
        m_sizes->clear();
    m_timeLeft->clear();
}

void VerifyPage::setPaused(bool paused)
{
    m_buttons->setCurrentIndex(paused ? 1 : 0);
    m_status->setText(paused ? tr("verifyPaused") : (m_repairing ? tr("verifyRepairing") : tr("verifyRunning")));
    if (paused)
        m_timeLeft->clear();
}

void VerifyPage::showShare(double share)
{
    share = qBound(0.0, share, 1.0);
    m_bar->setValue(int(std::lround(share * 10000.0)));
    m_percent->setText(percentText(share));
}
