#pragma once

#include "install/gamefiles.h"
#include "install/gameverify.h"
#include "install/installmanifest.h"

#include <QObject>
#include <QPointer>

// The quick check the launcher runs by itself when the last run may have left the game
// damaged: it crashed, it was ended while an install or update was under way, or an
// update's extraction failed. The window runs it once the game is installed and nothing
// installs (an interrupted update is resumed first, so the check is against what the
// update wrote, not against the version it replaces). It only reads, on a worker; an
// intact game gives a log line and nothing else.
class StartupCheck : public QObject
{
    Q_OBJECT
public:
    // Whether what the last run left behind calls for a check.
    static bool due(bool crashed, InstallStatus status);

    explicit StartupCheck(QObject *parent = nullptr);

    // Checks `dir` against the manifest stored at `manifestPath`; once per object.
    void run(const QString &dir, const QString &manifestPath);
    bool isRunning() const { return m_verifier; }
    QString dir() const { return m_dir; }
    const InstallManifest &manifest() const { return m_manifest; }

signals:
    // A listed file is missing or damaged (finished() follows).
    void damaged(const VerifyReport &report);
    void finished(const VerifyReport &report);

private:
    void onChecked(const VerifyReport &report);

    QString m_dir;
    InstallManifest m_manifest;
    QPointer<GameVerifier> m_verifier;
    bool m_started = false;
};
