#include "mainwindow/logoreset.h"

#include "app/appdir.h"
#include "app/kvapplication.h"
#include "app/launcherconfig.h"
#include "db/dbmanager.h"
#include "settings/dialogparts.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"

#include <QDebug>
#include <QDir>
#include <QFutureWatcher>
#include <QtConcurrent>

namespace {
const char *const kDataFolders[] = {"Downloads/", "AppData/", "Images/", "Update/"};
} // namespace

LogoReset::LogoReset(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
{ }

void LogoReset::click()
{
    if (m_done || m_running)
        return;
    if (++m_clicks != kClicks)
        return;
    qInfo().noquote() << QStringLiteral("logoShoot : %1").arg(m_clicks);
    if (m_collaborators.busy && m_collaborators.busy()) {
        refuse();
        return;
    }
    ask();
}

void LogoReset::ask()
{
    auto *question = new WarningDialogwithDoublebutton(tr("resetLauncherData"), m_collaborators.window);
    question->setObjectName(QStringLiteral("logoResetQuestion"));
    DialogParts::coverWindow(question);
    question->setModal(true);
    m_question = question;
    connect(question, &QDialog::finished, this, [this](int result) {
        if (result == QDialog::Accepted) {
            // Queued: the dialog finishes closing before the work starts.
            QMetaObject::invokeMethod(this, &LogoReset::run, Qt::QueuedConnection);
        } else {
            qInfo("logoShoot declined");
            m_clicks = 0;
        }
    });
    question->show();
}

void LogoReset::refuse()
{
    qInfo("logoShoot refused: a download or an extraction is running");
    m_clicks = 0;
    if (m_notice)
        m_notice->close();
    auto *notice = new WarningDialogWithSingleButton(tr("resetRefusedBusy"), m_collaborators.window);
    notice->setObjectName(QStringLiteral("logoResetRefused"));
    DialogParts::coverWindow(notice);
    notice->setModal(true);
    m_notice = notice;
    notice->show();
}

void LogoReset::run()
{
    // An install may have started while the question was open.
    if (m_collaborators.busy && m_collaborators.busy()) {
        refuse();
        return;
    }
    m_running = true;
    DbManager *database = m_collaborators.database;
    if (!database) {
        removeData();
        return;
    }
    // The worker runs operations in order: once the marker queued after the
    // stop is answered, the database file is closed.
    connect(database, &DbManager::operationCompleted, this, [this, database](int requestId) {
        if (requestId != m_closeMarker)
            return;
        database->disconnect(this);
        removeData();
    });
    database->stop();
    m_closeMarker = database->query(QStringLiteral("select 1"));
}

void LogoReset::removeData()
{
    QStringList folders;
    for (const char *folder : kDataFolders)
        folders << AppDir::filePath(QLatin1String(folder));
    // "Downloads/" may hold gigabytes: not on the GUI thread.
    auto *watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcher<bool>::finished, this, [this, watcher] {
        watcher->deleteLater();
        finish(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([folders] {
        bool ok = true;
        for (const QString &folder : folders) {
            QDir dir(folder);
            if (dir.exists() && !dir.removeRecursively()) {
                qWarning().noquote() << "logoShoot: cannot remove all of" << folder;
                ok = false;
            }
        }
        return ok;
    }));
}

void LogoReset::finish(bool ok)
{
    LauncherConfig::instance()->clearSettings();
    // The launcher's folders exist while it runs; the database reopens in "AppData/".
    KVApplication::createDataFolders();
    if (m_collaborators.database)
        emit m_collaborators.database->initWorker(QString());
    m_running = false;
    m_done = true;
    qInfo().noquote() << QStringLiteral("logoShoot : the launcher's data are reset (%1)")
                             .arg(ok ? QStringLiteral("complete") : QStringLiteral("some files remain"));
    emit finished(ok);
}
