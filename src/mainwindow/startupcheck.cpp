#include "mainwindow/startupcheck.h"

#include <QDebug>

bool StartupCheck::due(bool crashed, InstallStatus status)
{
    // A crash matters only to an installed game; nothing installed, nothing to check.
    return isUnfinished(status) || (crashed && status == InstallStatus::Installed);
}

StartupCheck::StartupCheck(QObject *parent)
    : QObject(parent)
{ }

void StartupCheck::run(const QString &dir, const QString &manifestPath)
{
    if (m_started)
        return;
    m_started = true;
    m_dir = dir;
    QString error;
    if (!InstallManifest::load(manifestPath, &m_manifest, &error)) {
        // An install made before its files were recorded: only a full check can say more.
        qInfo().noquote() << QStringLiteral("start-up check of the game files skipped: %1").arg(error);
        VerifyReport report;
        report.error = error;
        emit finished(report);
        return;
    }
    qInfo().noquote() << QStringLiteral("start-up check of the game files in %1").arg(dir);
    m_verifier = new GameVerifier(this);
    connect(m_verifier, &GameVerifier::finished, this, &StartupCheck::onChecked);
    m_verifier->start(dir, m_manifest, VerifyMode::Quick);
}

void StartupCheck::onChecked(const VerifyReport &report)
{
    m_verifier->deleteLater();
    m_verifier = nullptr;
    qInfo().noquote() << QStringLiteral("start-up check of the game files: %1").arg(report.toText().trimmed());
    if (report.outcome == VerifyReport::Outcome::Damaged)
        emit damaged(report);
    emit finished(report);
}
