#include "mainwindow/deletegameresourcedialog.h"

#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "install/deletefiletask.h"
#include "install/gamefiles.h"
#include "settings/dialogparts.h"
#include "widgets/animatedbutton.h"
#include "widgets/keyboardfocus.h"
#include "widgets/windowcover.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>

DeleteGameResourceDialog::DeleteGameResourceDialog(const Request &request, QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setObjectName(QStringLiteral("DeleteGameResourceDialog"));
    WindowCover::paintBeneath(this, parent);
    setFixedSize(DialogParts::SurfaceWidth, DialogParts::SurfaceHeight);
    if (parent)
        move(parent->isWindow() ? parent->pos() : parent->mapToGlobal(QPoint()));

    // The whole window dims, as under the question that led here.
    auto *dim = new QLabel(this);
    dim->setObjectName(QStringLiteral("label_bg"));
    dim->setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 125);"));
    dim->setGeometry(rect());

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("dialog_bg_verticalWidget"));
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setGeometry((width() - DialogParts::PanelWidth) / 2, (height() - DialogParts::PanelHeight) / 2,
        DialogParts::PanelWidth, DialogParts::PanelHeight);
    WindowCover::cutToPanel(this, panel);

    buildPages(panel);
    // Closing is refused while deleting; the button shows only when it works.
    m_close = DialogParts::makeCloseButton(panel, QStringLiteral("pushButton_close"));
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    setStyleSheet(DialogParts::panelRules(panel->objectName())
        + QStringLiteral("QTabWidget::pane { border: none; background: transparent; }\n"
                         "QTabWidget > QWidget > QWidget { background: transparent; }\n"
                         "#delete_progressBar { background-color: rgba(137, 137, 137, 75); border: none; "
                         "border-radius: 3px; }\n"
                         "#delete_progressBar::chunk { border-radius: 3px; background-color: qlineargradient(x1: 0, "
                         "y1: 0, x2: 1, y2: 0, stop: 0 #C66030, stop: 1 #F57438); }\n")
        + DialogParts::bodyRules(QStringLiteral("DeleteResourceLabel"))
        + DialogParts::bodyRules(QStringLiteral("DeleteResourceOkLabel"))
        + DialogParts::confirmButtonRules(QStringLiteral("delete_dialog_confrim"), DialogParts::ButtonTextPx));

    decide(request);
}

void DeleteGameResourceDialog::buildPages(QWidget *panel)
{
    m_tabs = new QTabWidget(panel);
    m_tabs->tabBar()->hide();
    m_tabs->setDocumentMode(true);
    auto *deleting = new QWidget;
    auto *label = new QLabel(tr("DeleteResourceing"), deleting);
    label->setObjectName(QStringLiteral("DeleteResourceLabel"));
    label->setAlignment(Qt::AlignCenter);
    m_progress = new QProgressBar(deleting);
    m_progress->setObjectName(QStringLiteral("delete_progressBar"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setAccessibleName(label->text());
    setAccessibleName(label->text());
    m_progress->setFixedHeight(7);
    auto *idle = new QPushButton(deleting);
    idle->setObjectName(QStringLiteral("pushButton"));
    idle->setFlat(true);
    idle->setFocusPolicy(Qt::NoFocus);
    idle->setAccessibleName(label->text());
    idle->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
    auto *deletingLayout = new QVBoxLayout(deleting);
    deletingLayout->setContentsMargins(60, DialogParts::ContentTop + 20, 60, 60);
    deletingLayout->setSpacing(26);
    deletingLayout->addWidget(label);
    deletingLayout->addWidget(m_progress);
    deletingLayout->addWidget(idle);
    deletingLayout->addStretch();

    auto *finished = new QWidget;
    m_doneLabel = new QLabel(tr("DeleteResourceOk"), finished);
    m_doneLabel->setObjectName(QStringLiteral("DeleteResourceOkLabel"));
    m_doneLabel->setAlignment(Qt::AlignCenter);
    m_doneLabel->setWordWrap(true);
    label->setWordWrap(true);
    auto *confirm = new AnimatedButton(tr("Confirm"), finished);
    confirm->setObjectName(QStringLiteral("delete_dialog_confrim"));
    confirm->setFixedSize(DialogParts::SingleButtonSize);
    KeyboardFocus::startAt(confirm);
    auto *finishedLayout = new QVBoxLayout(finished);
    finishedLayout->setContentsMargins(
        DialogParts::ContentSide, DialogParts::ContentTop, DialogParts::ContentSide, DialogParts::ContentBottom);
    finishedLayout->addWidget(m_doneLabel, 1);
    finishedLayout->addLayout(DialogParts::centredRow({confirm}));
    // The tabs are never shown; their names are the pages' texts for a screen reader.
    m_tabs->addTab(deleting, label->text());
    m_tabs->addTab(finished, m_doneLabel->text());
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(m_tabs);
    connect(confirm, &QPushButton::clicked, this, [this] {
        close();
        if (m_refusal.isEmpty())
            emit deleteFinishSignal();
    });
}

void DeleteGameResourceDialog::decide(const Request &request)
{
    const QString launcherDir = request.launcherDir.isEmpty() ? AppDir::path() : request.launcherDir;
    const QString downloads
        = request.downloadsDir.isEmpty() ? AppDir::filePath(QStringLiteral("Downloads/")) : request.downloadsDir;
    if (request.busy) {
        m_refusal = request.gameRunning ? QStringLiteral("the game is running")
                                        : QStringLiteral("an install or the game is running");
    } else {
        m_refusal = DeleteFileTask::refusalReason(request.installDir, launcherDir,
            LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeFile")), request.launcherRecorded);
    }
    if (!m_refusal.isEmpty()) {
        qWarning().noquote() << "game resources not cleared:" << m_refusal << request.installDir;
        m_doneLabel->setText(request.gameRunning ? tr("DeleteResourceGameRunning") : tr("DeleteResourceRefused"));
        m_tabs->setCurrentIndex(1);
        return;
    }
    m_tabs->setCurrentIndex(0);
    start({request.installDir, downloads});
}

void DeleteGameResourceDialog::start(const QStringList &paths)
{
    m_deleting = true;
    m_close->hide();
    // The records go first: a launcher that quits, is killed or crashes in
    // the middle must next offer a fresh install, not Play on half a game.
    GameFiles::instance()->clearInstallRecords(QString());
    qInfo("install records removed; deleting the game resources");
    auto *thread = new QThread;
    auto *task = new DeleteFileTask;
    task->moveToThread(thread);
    connect(thread, &QThread::started, task, [task, thread, paths] {
        task->deleteFiles(paths);
        thread->quit();
    });
    connect(thread, &QThread::finished, task, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(task, &DeleteFileTask::deletefinish, QCoreApplication::instance(), [] { qInfo("game resources cleared"); });
    connect(task, &DeleteFileTask::updateProcess, this, &DeleteGameResourceDialog::updateUiProcess);
    connect(task, &DeleteFileTask::deletefinish, this, &DeleteGameResourceDialog::deleteFinish);
    thread->start(QThread::InheritPriority);
}

void DeleteGameResourceDialog::updateUiProcess(int value)
{
    m_progress->setValue(value);
}

void DeleteGameResourceDialog::deleteFinish()
{
    m_deleting = false;
    m_close->show();
    m_tabs->setCurrentIndex(1);
    emit deletionDone();
}

void DeleteGameResourceDialog::reject()
{
    // Closing while the folders are being deleted would hide a half-done clearing.
    if (m_deleting)
        return;
    QDialog::reject();
}

void DeleteGameResourceDialog::closeEvent(QCloseEvent *event)
{
    if (m_deleting) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
