#include "mainwindow/installdisplay.h"

#include "app/texts.h"
#include "mainwindow/verifypage.h"

#include <QDebug>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QParallelAnimationGroup>
#include <QProgressBar>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

const char *const kLangByIndex[] = {"zh_CN", "en_US", "jp_JP", "kor_KOR", "gt_GT"};

QWidget *addPage(QStackedWidget *stack, const char *name)
{
    auto *page = new QWidget(stack);
    page->setObjectName(QLatin1String(name));
    stack->addWidget(page);
    return page;
}

} // namespace

QPushButton *InstallDisplay::makeButton(const QString &name, QWidget *parent, const QRect &geometry)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setCursor(Qt::PointingHandCursor);
    // Tab reaches every button; the keyboard's ring is drawn around it (KeyboardFocus).
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

QLabel *InstallDisplay::makeLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

InstallDisplay::InstallDisplay(QWidget *window, QWidget *titleLogo, QWidget *playSetting, int languageIndex)
    : m_window(window)
    , m_titleLogo(titleLogo)
    , m_playSetting(playSetting)
{
    m_stack = new QStackedWidget(window);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    m_stack->setGeometry(718, 576, 562, 144);
    addPage(m_stack, "play_page0");
    buildDownloadPage();
    QWidget *update = addPage(m_stack, "update_page_2");
    m_updateButton = makeButton(QStringLiteral("pushButton_update"), update, QRect(167, 42, 283, 81));
    buildInstallPage();
    QWidget *getGame = addPage(m_stack, "getGame_page_4");
    m_installButton = makeButton(QStringLiteral("pushButton_install"), getGame, QRect(168, 42, 283, 81));
    QWidget *needUnzip = addPage(m_stack, "needunzip_page_5");
    m_unzipButton = makeButton(QStringLiteral("pushButton_needToUnzip"), needUnzip, QRect(167, 42, 283, 81));
    m_verifyPage = std::make_unique<VerifyPage>(addPage(m_stack, "verify_page_6"));
    m_playButton = makeButton(QStringLiteral("pushButton_playgame"), window, QRect(885, 618, 283, 81));

    // Each state has its own main button: its name says what pressing it does.
    m_installButton->setAccessibleName(tr("accessible_install"));
    m_updateButton->setAccessibleName(tr("accessible_update"));
    m_unzipButton->setAccessibleName(tr("accessible_unzip"));
    m_playButton->setAccessibleName(tr("accessible_play"));

    const int index = qBound(0, languageIndex, 4);
    for (QPushButton *button : {m_installButton, m_playButton, m_updateButton, m_unzipButton})
        button->setProperty("lang", QLatin1String(kLangByIndex[index]));

    m_fadeIn = new QParallelAnimationGroup(window);
    for (QWidget *widget : std::initializer_list<QWidget *> {
             m_process, m_fileSizeText, m_progressBar, m_downloadSpeed, m_timeText, m_stopButton}) {
        auto *effect = new QGraphicsOpacityEffect(widget);
        effect->setOpacity(1.0);
        widget->setGraphicsEffect(effect);
        auto *fade = new QPropertyAnimation(effect, "opacity", m_fadeIn);
        fade->setDuration(150);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        m_fadeIn->addAnimation(fade);
    }
    render(InstallSession::State::Idle);
}

InstallDisplay::~InstallDisplay() = default;

void InstallDisplay::buildDownloadPage()
{
    QWidget *download = addPage(m_stack, "download_page_1");
    // The texts sit on a quiet shade: the art's light streaks behind them
    // would otherwise run through the numbers.
    auto *column = new QWidget(download);
    column->setObjectName(QStringLiteral("progressShade"));
    column->setAttribute(Qt::WA_StyledBackground);
    column->setGeometry(18, 22, 466, 80);
    m_downloadStatus = makeLabel(QStringLiteral("label_downloadstatus"), tr("label_downloadstatus"), column);
    m_fileSizeText = makeLabel(QStringLiteral("label_fileSizeText"), QString(), column);
    m_process = makeLabel(QStringLiteral("label_process"), QString(), column);
    m_progressBar = new QProgressBar(column);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedHeight(6);
    m_progressBar->setAccessibleName(tr("accessible_downloadProgress"));
    m_downloadSpeed = makeLabel(QStringLiteral("label_downloadSpeed"), QString(), column);
    m_timeText = makeLabel(QStringLiteral("label_timeText"), QString(), column);
    auto *rows = new QVBoxLayout(column);
    rows->setContentsMargins(12, 8, 12, 8);
    rows->setSpacing(6);
    // While archives are extracted during the download, "Installing k of N"
    // stands beside the sizes; the lower row keeps the speed and time.
    m_archives = makeLabel(QStringLiteral("label_installingArchives"), QString(), column);
    m_archives->hide();
    auto *top = new QHBoxLayout;
    top->addWidget(m_downloadStatus);
    top->addWidget(m_fileSizeText);
    top->addSpacing(8);
    top->addWidget(m_archives);
    top->addStretch();
    top->addWidget(m_process);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_downloadSpeed);
    bottom->addStretch();
    bottom->addWidget(m_timeText);
    rows->addLayout(top);
    rows->addWidget(m_progressBar);
    rows->addLayout(bottom);
    m_buttonStack = new QStackedWidget(download);
    m_buttonStack->setObjectName(QStringLiteral("stackedWidget_button"));
    m_buttonStack->setGeometry(490, 36, 51, 51);
    m_stopButton = makeButton(QStringLiteral("pushButton_stop"), m_buttonStack, QRect(0, 0, 51, 51));
    m_resumeButton = makeButton(QStringLiteral("pushButton_play"), m_buttonStack, QRect(0, 0, 51, 51));
    m_stopButton->setAccessibleName(tr("accessible_pause"));
    m_resumeButton->setAccessibleName(tr("accessible_resume"));
    m_buttonStack->addWidget(m_stopButton);
    m_buttonStack->addWidget(m_resumeButton);
}

void InstallDisplay::buildInstallPage()
{
    QWidget *install = addPage(m_stack, "install_page_3");
    auto *zipColumn = new QWidget(install);
    zipColumn->setObjectName(QStringLiteral("progressShade_zip"));
    zipColumn->setAttribute(Qt::WA_StyledBackground);
    zipColumn->setGeometry(18, 36, 466, 52);
    m_zipProcess = makeLabel(QStringLiteral("label_process_zip"), QString(), zipColumn);
    m_zipBar = new QProgressBar(zipColumn);
    m_zipBar->setObjectName(QStringLiteral("progressBar_zip"));
    m_zipBar->setTextVisible(false);
    m_zipBar->setFixedHeight(7);
    m_zipBar->setRange(0, 10000);
    m_zipBar->setAccessibleName(tr("accessible_installProgress"));
    auto *zipRows = new QVBoxLayout(zipColumn);
    zipRows->setContentsMargins(12, 8, 12, 8);
    zipRows->addWidget(m_zipProcess);
    zipRows->addWidget(m_zipBar);
    zipRows->addStretch();
}

void InstallDisplay::showPage(Page page, bool playShown)
{
    m_stack->setCurrentIndex(page);
    m_stack->show();
    m_playButton->setVisible(playShown);
    m_playSetting->setVisible(playShown);
    if (playShown) {
        m_playButton->raise();
        m_playSetting->raise();
    }
}

void InstallDisplay::showVerifying(bool verifying)
{
    m_verifying = verifying;
    if (verifying)
        showPage(VerifyFilesPage, false);
    else
        render(m_state);
}

bool InstallDisplay::focusInDisplay() const
{
    const QWidget *focus = m_window->focusWidget();
    return focus
        && (focus == m_playButton || focus == m_playSetting || m_playSetting->isAncestorOf(focus)
            || m_stack->isAncestorOf(focus));
}

QPushButton *InstallDisplay::mainButton(InstallSession::State state) const
{
    using State = InstallSession::State;
    switch (state) {
    case State::GetGame:
        return m_installButton;
    case State::Update:
        return m_updateButton;
    case State::Downloading:
        return m_stopButton;
    case State::Paused:
        return m_resumeButton;
    case State::NeedUnzip:
        return m_unzipButton;
    case State::Play:
        return m_playButton;
    case State::Idle:
    case State::Extracting:
        break;
    }
    return nullptr;
}

void InstallDisplay::render(InstallSession::State state)
{
    // The keyboard stays on the main button as it changes with the state,
    // unless the user has taken it elsewhere; it starts there.
    const bool follow = m_focusFollows || focusInDisplay();
    showState(state);
    QPushButton *main = mainButton(state);
    m_focusFollows = follow && !main;
    if (follow && main)
        main->setFocus(Qt::OtherFocusReason);
}

void InstallDisplay::showState(InstallSession::State state)
{
    using State = InstallSession::State;
    m_state = state;
    if (m_verifying)
        return;
    switch (state) {
    case State::Idle:
        m_stack->hide();
        m_playButton->hide();
        m_playSetting->hide();
        break;
    case State::GetGame:
        showPage(GetGamePage, false);
        break;
    case State::Update:
        showPage(UpdatePage, false);
        break;
    case State::Downloading:
        m_stack->raise();
        m_titleLogo->hide();
        m_buttonStack->setCurrentIndex(0);
        showPage(DownloadPage, false);
        break;
    case State::Paused:
        // The resume button: a pause button would belong to a download that is not running.
        m_buttonStack->setCurrentIndex(1);
        m_downloadSpeed->setText(tr("label_downloadSpeed").arg(tr("speed_none")));
        m_timeText->clear();
        m_downloadStatus->setText(tr("label_status_downloadstop"));
        m_downloadStatus->show();
        showPage(DownloadPage, false);
        break;
    case State::NeedUnzip:
        showPage(NeedUnzipPage, false);
        qDebug("needToUnzip stackedWidget->currentIndex(): %d", m_stack->currentIndex());
        break;
    case State::Extracting:
        m_zipBar->setValue(0);
        m_zipProcess->setText(tr("label_process_zip").arg(QStringLiteral("0")));
        showPage(InstallPage, false);
        break;
    case State::Play:
        showPage(PlayPage, true);
        break;
    }
}

void InstallDisplay::resetProgress()
{
    m_progressBar->reset();
    m_process->clear();
    m_fileSizeText->clear();
    m_downloadSpeed->clear();
    m_timeText->clear();
}

void InstallDisplay::showConnecting(bool fresh)
{
    if (fresh) {
        m_fileSizeText->clear();
        m_process->setText(percentText(qMax(0, m_progressBar->value()) / 100.0));
        m_downloadSpeed->setText(tr("label_downloadSpeed").arg(tr("speed_none")));
        m_timeText->clear();
        m_fadeIn->start();
    }
    m_downloadStatus->setText(tr("label_downloadstatus"));
    m_downloadStatus->show();
    m_buttonStack->setCurrentIndex(0);
}

void InstallDisplay::showProgress(const KorvaneObject::DownloadingInfo &info)
{
    const int percent = qBound(0, info.percent.toInt(), 100);
    if (m_progressBar->value() != percent)
        m_progressBar->setValue(percent);
    m_process->setText(percentText(percent / 100.0));
    m_fileSizeText->setText(tr("label_fileSizeText").arg(info.downloadedSize, info.totalSize));
    // Every transfer waits for its next attempt: say when, not a speed of nothing.
    if (info.retryInSeconds > 0)
        m_downloadSpeed->setText(tr("label_retryingIn").arg(info.retryInSeconds));
    else
        m_downloadSpeed->setText(tr("label_downloadSpeed").arg(info.downloadSpeed));
    m_timeText->setText(tr("label_timeText").arg(info.timeLeft));
    m_downloadStatus->setText(tr("label_status_downloading"));
}

void InstallDisplay::showPaused(const KorvaneObject::DownloadingInfo &saved)
{
    if (saved.totalSize.isEmpty())
        return;
    m_progressBar->setValue(qBound(0, saved.percent.toInt(), 100));
    m_process->setText(percentText(m_progressBar->value() / 100.0));
    m_fileSizeText->setText(tr("label_fileSizeText").arg(saved.downloadedSize, saved.totalSize));
}

void InstallDisplay::showComplete(const QString &totalSize)
{
    m_timeText->setText(tr("label_timeText").arg(durationText(0)));
    m_fileSizeText->setText(tr("label_fileSizeText").arg(totalSize, totalSize));
    m_progressBar->setValue(100);
    m_process->setText(percentText(1.0));
}

void InstallDisplay::showExtractShare(double share)
{
    // The catalogues' text carries the sign: "Installing: %1%".
    m_zipProcess->setText(tr("label_process_zip").arg(wholePercent(share)));
    m_zipBar->setValue(int(std::lround(share * 10000.0)));
}

void InstallDisplay::showArchivesInstalling(int installed, int count, bool extracting)
{
    QString text;
    if (count > 0 && extracting)
        text = tr("label_installingArchives").arg(qMin(installed + 1, count)).arg(count);
    else if (count > 0 && installed > 0)
        text = tr("label_installedArchives").arg(installed).arg(count);
    m_archives->setText(text);
    m_archives->setVisible(!text.isEmpty());
}
