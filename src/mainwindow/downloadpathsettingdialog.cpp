#include "mainwindow/downloadpathsettingdialog.h"

#include "app/appdir.h"
#include "app/fileutil.h"
#include "app/launcherconfig.h"
#include "app/texts.h"
#include "install/gamefiles.h"
#include "install/installsession.h"
#include "settings/dialogparts.h"
#include "widgets/keyboardfocus.h"
#include "widgets/windowcover.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

namespace {

constexpr int PanelWidth = 620;
constexpr int PanelHeight = 430;

QLabel *makeLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A caption and its value on one row of the panel.
QWidget *makeRow(const QString &caption, QLabel *value, QWidget *parent)
{
    auto *row = new QWidget(parent);
    row->setObjectName(QStringLiteral("sizeRow"));
    row->setAttribute(Qt::WA_StyledBackground);
    row->setFixedHeight(40);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->addWidget(makeLabel(QStringLiteral("sizeCaption"), caption, row));
    layout->addStretch();
    layout->addWidget(value);
    return row;
}

bool gameInstalledAt(const QString &dir)
{
    GameFiles *files = GameFiles::instance();
    return files->status() == InstallStatus::Installed
        && QFileInfo(dir + QLatin1Char('/') + LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeFile")))
               .isFile();
}

} // namespace

DownloadPathSettingDialog::DownloadPathSettingDialog(
    Collaborators collaborators, QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , m_collaborators(std::move(collaborators))
{
    setObjectName(QStringLiteral("DownloadPathSettingDialog"));
    WindowCover::paintBeneath(this, parent);
    setFixedSize(DialogParts::SurfaceWidth, DialogParts::SurfaceHeight);

    auto *dim = makeLabel(QStringLiteral("label_bg"), QString(), this);
    dim->setGeometry(rect());
    dim->setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 125);"));

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("widget_DownloadPathSettingDialog"));
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setGeometry((width() - PanelWidth) / 2, (height() - PanelHeight) / 2, PanelWidth, PanelHeight);
    WindowCover::cutToPanel(this, panel);

    const Buttons buttons = buildPanel(panel);
    setStyleSheet(styleRules());

    connect(buttons.change, &QPushButton::clicked, this, [this] {
        // Not exec(): the picker must not run an event loop of its own.
        auto *picker = new QFileDialog(this, tr("Open Directory"), QDir::fromNativeSeparators(path()));
        picker->setAttribute(Qt::WA_DeleteOnClose);
        picker->setFileMode(QFileDialog::Directory);
        picker->setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
        connect(picker, &QFileDialog::fileSelected, this, &DownloadPathSettingDialog::choose);
        picker->open();
    });
    connect(m_install, &QPushButton::clicked, this, [this] {
        if (!m_hasRoom)
            return;
        GameFiles::instance()->setInstallDir(QDir::fromNativeSeparators(path()));
        emit dialogConfirm();
        accept();
    });
    connect(buttons.close, &QPushButton::clicked, this, &QDialog::reject);
    refresh();
}

void DownloadPathSettingDialog::reject()
{
    storePath();
    QDialog::reject();
}

DownloadPathSettingDialog::Buttons DownloadPathSettingDialog::buildPanel(QWidget *panel)
{
    auto *icon = makeLabel(QStringLiteral("label_titleicon"), QString(), panel);
    icon->setFixedSize(28, 28);
    auto *title = makeLabel(QStringLiteral("label_title"), tr("pathsetting_title"), panel);
    auto *close = new QPushButton(panel);
    close->setObjectName(QStringLiteral("pushButton_close"));
    close->setFixedSize(32, 32);
    close->setCursor(Qt::PointingHandCursor);
    close->setAccessibleName(QCoreApplication::translate("MainWindow", "CloseToolTip"));
    setAccessibleName(title->text());

    m_path = new QLineEdit(panel);
    m_path->setObjectName(QStringLiteral("lineEdit_pathEdit"));
    m_path->setEnabled(false); // changed only through the folder picker
    m_path->setFixedHeight(36);
    m_path->setAccessibleName(title->text());
    auto *change = new QPushButton(tr("Change"), panel);
    change->setObjectName(QStringLiteral("pushButton_changepath"));
    change->setFixedSize(156, 44);
    change->setCursor(Qt::PointingHandCursor);

    m_zipSize = makeLabel(QStringLiteral("label_zipsize"), QString(), panel);
    m_zipRoom = makeLabel(QStringLiteral("label_ziproom"), QString(), panel);
    m_dirRoom = makeLabel(QStringLiteral("label_dirroom"), QString(), panel);
    m_roomError = new QCheckBox(tr("dirroom_error"), panel);
    m_roomError->setObjectName(QStringLiteral("dirroomError"));
    m_roomError->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_roomError->setFocusPolicy(Qt::NoFocus);
    m_roomError->hide();

    m_install = new QPushButton(tr("PushButton_comfir"), panel);
    m_install->setObjectName(QStringLiteral("pushButton_pathdownload"));
    m_install->setFixedSize(232, 78);
    m_install->setCursor(Qt::PointingHandCursor);
    KeyboardFocus::startAt(m_install);

    auto *head = new QHBoxLayout;
    head->addWidget(icon);
    head->addWidget(title);
    head->addStretch();
    head->addWidget(close);
    auto *pathRow = new QHBoxLayout;
    pathRow->setSpacing(10);
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(change);
    auto *layout = new QVBoxLayout(panel);
    // Equal side margins: the Install button centres on the panel.
    layout->setContentsMargins(35, 24, 35, 26);
    layout->setSpacing(8);
    layout->addLayout(head);
    layout->addSpacing(8);
    layout->addLayout(pathRow);
    layout->addWidget(makeRow(tr("Label_ZipSize"), m_zipSize, panel));
    layout->addWidget(makeRow(tr("Label_ZipRoom"), m_zipRoom, panel));
    layout->addWidget(makeRow(tr("Label_DirRoom"), m_dirRoom, panel));
    layout->addWidget(m_roomError);
    layout->addStretch();
    layout->addLayout(DialogParts::centredRow({m_install}));
    return {change, close};
}

QString DownloadPathSettingDialog::styleRules()
{
    return QStringLiteral(
        "#widget_DownloadPathSettingDialog { border-image: url(:/mainwindow/dialog_bg); }\n"
        "#label_titleicon { border-image: url(:/mainwindow/title_icon); }\n"
        "#label_title { font-size: 22px; color: #7a3a1c; font-weight: bold; }\n"
        "#lineEdit_pathEdit { font-size: 14px; color: #373030; background: transparent; padding: 0 8px;"
        "  border: 1px solid rgba(69, 69, 69, 90); border-radius: 4px; }\n"
        "#sizeRow { border-image: url(:/mainwindow/downloadpathdialog_filebg); }\n"
        "#sizeCaption, #label_zipsize, #label_ziproom, #label_dirroom { font-size: 16px; color: #454545; }\n"
        "#pushButton_changepath { font-size: 16px; color: #fff2e2; border: none;"
        "  border-image: url(:/mainwindow/btn_change_InstallDir_normal); }\n"
        "#pushButton_changepath:hover { border-image: url(:/mainwindow/btn_change_InstallDir_hover); }\n"
        "#pushButton_changepath:pressed { border-image: url(:/mainwindow/btn_change_InstallDir_press); }\n"
        "#pushButton_pathdownload { font-size: 22px; color: #fff2e2; border: none;"
        "  border-image: url(:/mainwindow/btn_dialogconfirm_normal); }\n"
        "#pushButton_pathdownload:hover { border-image: url(:/mainwindow/btn_dialogconfirm_hover); }\n"
        "#pushButton_pathdownload:disabled { color: #fff2e2;"
        "  border-image: url(:/mainwindow/btn_dialogconfirm_disabled); }\n"
        "#pushButton_close { border: none; border-image: url(:/mainwindow/btn_dialogclose_normal); }\n"
        "#pushButton_close:hover { border-image: url(:/mainwindow/btn_dialogclose_hover); }\n"
        "#dirroomError { color: #94342C; font-size: 16px; }\n"
        "#dirroomError::indicator { width: 22px; height: 18px; image: url(:/mainwindow/icon_error); }\n");
}

QString DownloadPathSettingDialog::path() const
{
    return m_path->text();
}

void DownloadPathSettingDialog::choose(const QString &folder)
{
    if (folder.isEmpty())
        return;
    const QString name = LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeDir"));
    qInfo().noquote() << "installPath :" + name;
    QString chosen = QDir::toNativeSeparators(folder);
    if (!chosen.endsWith(QDir::separator()))
        chosen += QDir::separator();
    m_path->setText(chosen + name);
    m_path->setCursorPosition(0);
    checkSpace();
}

void DownloadPathSettingDialog::showEvent(QShowEvent *event)
{
    // The record may have changed since the last show (another version, an update).
    refresh();
    QDialog::showEvent(event);
}

void DownloadPathSettingDialog::refresh()
{
    m_info = m_collaborators.versionInfo ? m_collaborators.versionInfo() : GameVersionInfo();
    m_path->setText(QDir::toNativeSeparators(GameFiles::instance()->installDir()));
    m_path->setCursorPosition(0);
    m_zipSize->setText(sizeText(quint64(qMax<qint64>(m_info.packageSize, 0))));
    m_zipRoom->setText(sizeText(quint64(qMax<qint64>(m_info.packageRealSize, 0))));
    checkSpace();
}

void DownloadPathSettingDialog::checkSpace()
{
    const QString installDir = QDir::fromNativeSeparators(path());
    const QString downloads = AppDir::filePath(QStringLiteral("Downloads/"));
    const qint64 package = qMax<qint64>(m_info.packageSize, 0);
    // The install demands this much on the install folder's volume; the
    // archives need their own size where they are downloaded, when that is
    // another volume.
    const qint64 installNeed = InstallSession::installRoom(m_info);
    const qint64 installFree = freeSpace(installDir);
    bool room = installFree >= installNeed;
    if (volumeOf(downloads) != volumeOf(installDir))
        room = room && freeSpace(downloads) >= package;
    m_dirRoom->setText(sizeText(quint64(qMax<qint64>(installFree, 0))));
    m_hasRoom = room;
    m_roomError->setVisible(!room);
    m_install->setEnabled(room);
}

void DownloadPathSettingDialog::storePath()
{
    const QString chosen = QDir::fromNativeSeparators(path());
    const QString recorded = GameFiles::instance()->installDir();
    // Closing is no move: an installed game keeps the folder it lives in.
    if (QDir::cleanPath(chosen) != QDir::cleanPath(recorded) && gameInstalledAt(recorded)) {
        qInfo().noquote() << "install folder kept, the game is installed there:" << recorded;
        return;
    }
    GameFiles::instance()->setInstallDir(chosen);
}

qint64 DownloadPathSettingDialog::freeSpace(const QString &path) const
{
    return m_collaborators.freeSpace ? m_collaborators.freeSpace(path) : FileUtil::freeSpace(path);
}

QString DownloadPathSettingDialog::volumeOf(const QString &path) const
{
    if (m_collaborators.volumeOf)
        return m_collaborators.volumeOf(path);
    QFileInfo existing(path);
    while (!existing.exists() && !existing.isRoot() && existing.absoluteFilePath() != existing.absolutePath())
        existing = QFileInfo(existing.absolutePath());
    return QStorageInfo(existing.absoluteFilePath()).rootPath();
}
