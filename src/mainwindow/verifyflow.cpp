#include "mainwindow/verifyflow.h"

#include "extract/gamerepair.h"
#include "install/gamefiles.h"
#include "settings/dialogparts.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDialog>
#include <QWidget>

VerifyFlow::VerifyFlow(QWidget *window)
    : QObject(window)
    , m_window(window)
{ }

VerifyFlow::~VerifyFlow()
{
    closeNotice();
}

bool VerifyFlow::isRunning() const
{
    return m_verifier || m_repair;
}

void VerifyFlow::start()
{
    if (isRunning())
        return;
    GameFiles *files = GameFiles::instance();
    QString error;
    if (!InstallManifest::load(InstallManifest::pathOf(files->installedVersion()), &m_manifest, &error)) {
        qWarning().noquote() << QStringLiteral("verify: %1").arg(error);
        notice(tr("verifyNoRecord"), false);
        return;
    }
    m_dir = files->installDir();
    m_verifier = new GameVerifier(this);
    connect(m_verifier, &GameVerifier::finished, this, &VerifyFlow::onChecked);
    m_verifier->start(m_dir, m_manifest, VerifyMode::Full);
    notice(tr("verifyRunning"), true);
}

void VerifyFlow::onChecked(const VerifyReport &report)
{
    m_verifier->deleteLater();
    m_verifier = nullptr;
    closeNotice();
    qInfo().noquote() << QStringLiteral("verify of the game files: %1").arg(report.toText().trimmed());
    if (report.outcome == VerifyReport::Outcome::Intact) {
        notice(tr("verifyIntact").arg(report.files), false);
    } else if (report.outcome == VerifyReport::Outcome::Damaged) {
        auto *question = new WarningDialogwithDoublebutton(tr("verifyDamaged").arg(report.faulty().size()), m_window);
        question->setObjectName(QStringLiteral("verifyRepairQuestion"));
        DialogParts::coverWindow(question);
        question->setConfirmText(QCoreApplication::translate("MainWindow", "Confirm"));
        question->setCancelText(QCoreApplication::translate("MainWindow", "Cancel"));
        question->setModal(true);
        connect(question, &WarningDialogwithDoublebutton::dialogConfirm, this, [this, report] { repair(report); });
        question->show();
    }
}

void VerifyFlow::repair(const VerifyReport &found)
{
    if (isRunning())
        return;
    m_repair = new GameRepair(m_dir, m_manifest, {}, this);
    connect(m_repair, &GameRepair::finished, this, &VerifyFlow::onRepaired);
    m_repair->start(found);
    notice(tr("verifyRepairing"), true);
}

void VerifyFlow::onRepaired(const VerifyReport &report)
{
    m_repair->deleteLater();
    m_repair = nullptr;
    closeNotice();
    if (report.outcome == VerifyReport::Outcome::Intact)
        notice(tr("verifyRepaired").arg(report.repaired.size()), false);
    else if (report.outcome != VerifyReport::Outcome::Cancelled)
        notice(tr("verifyRepairFailed").arg(qMax(1, report.faulty().size())), false);
}

void VerifyFlow::notice(const QString &text, bool waiting)
{
    closeNotice();
    auto *dialog = new WarningDialogWithSingleButton(text, m_window);
    dialog->setObjectName(waiting ? QStringLiteral("verifyWaiting") : QStringLiteral("verifyResult"));
    DialogParts::coverWindow(dialog);
    dialog->setModal(true);
    if (waiting) {
        // Its button or its close box: the work stops.
        connect(dialog, &QDialog::finished, this, [this] {
            if (m_verifier)
                m_verifier->cancel();
            if (m_repair)
                m_repair->cancel();
        });
    }
    m_notice = dialog;
    dialog->show();
}

void VerifyFlow::closeNotice()
{
    if (!m_notice)
        return;
    m_notice->disconnect(this);
    m_notice->close();
    m_notice = nullptr;
}
