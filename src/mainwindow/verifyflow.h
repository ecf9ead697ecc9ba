#pragma once

#include "install/gameverify.h"

#include <QObject>
#include <QPointer>

class GameRepair;
class GameVerifier;
class QDialog;
class QWidget;

// "Verify files" of the play pop-up: a full check of the installed game against its
// manifest on a worker, a notice while it runs (its button cancels), then the result;
// damage found is repaired when the player agrees, and what came of it is shown.
class VerifyFlow : public QObject
{
    Q_OBJECT
public:
    explicit VerifyFlow(QWidget *window);
    ~VerifyFlow() override;

    void start();
    bool isRunning() const;

private:
    void onChecked(const VerifyReport &report);
    void repair(const VerifyReport &found);
    void onRepaired(const VerifyReport &report);
    // A notice over the window; `waiting`: its button cancels the running work.
    void notice(const QString &text, bool waiting);
    void closeNotice();

    QWidget *m_window;
    InstallManifest m_manifest;
    QString m_dir;
    QPointer<GameVerifier> m_verifier;
    QPointer<GameRepair> m_repair;
    QPointer<QDialog> m_notice;
};
