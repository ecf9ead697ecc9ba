#pragma once

#include "install/downloadinginfo.h"
#include "install/installsession.h"

#include <QCoreApplication>

#include <memory>

class QLabel;
class QParallelAnimationGroup;
class QProgressBar;
class QPushButton;
class QRect;
class QStackedWidget;
class QWidget;
class VerifyPage;

// The install display's widgets in the main window: the state pages (get
// game, update, download with pause and resume, extract, need-to-extract),
// the play button and the progress texts. It draws what the install session
// says and nothing else; its buttons are wired by the window.
class InstallDisplay
{
    Q_DECLARE_TR_FUNCTIONS(MainWindow)
public:
    // Pages of "stackedWidget".
    enum Page {
        PlayPage = 0,
        DownloadPage = 1,
        UpdatePage = 2,
        InstallPage = 3,
        GetGamePage = 4,
        NeedUnzipPage = 5,
        VerifyFilesPage = 6
    };

    // Builds the widgets in `window`; `titleLogo` steps aside while a
    // download shows and `playSetting` goes with the play button.
    InstallDisplay(QWidget *window, QWidget *titleLogo, QWidget *playSetting, int languageIndex);
    ~InstallDisplay();

    // A main-window button or label by object name.
    static QPushButton *makeButton(const QString &name, QWidget *parent, const QRect &geometry);
    static QLabel *makeLabel(const QString &name, const QString &text, QWidget *parent);

    QPushButton *installButton() const { return m_installButton; }
    QPushButton *updateButton() const { return m_updateButton; }
    QPushButton *unzipButton() const { return m_unzipButton; }
    QPushButton *stopButton() const { return m_stopButton; }
    QPushButton *resumeButton() const { return m_resumeButton; }
    QPushButton *playButton() const { return m_playButton; }

    // Draws the page of `state`; while the game files are checked or repaired that page
    // stays up and the state is drawn when it ends.
    void render(InstallSession::State state);
    // A check or repair of the game files begins (its page, no play button) or ends.
    void showVerifying(bool verifying);
    VerifyPage *verifyPage() const { return m_verifyPage.get(); }
    // The button that acts in `state`, or null where none does.
    QPushButton *mainButton(InstallSession::State state) const;
    void resetProgress();
    void showConnecting(bool fresh);
    void showProgress(const KorvaneObject::DownloadingInfo &info);
    // The kept progress of a paused download; nothing when none is kept.
    void showPaused(const KorvaneObject::DownloadingInfo &saved);
    void showComplete(const QString &totalSize);
    void showExtractShare(double share);
    // Beside a download whose archives are extracted as they arrive:
    // "Installing k of N" while one is extracted, "Installed k of N" between;
    // a count of 0 takes it away.
    void showArchivesInstalling(int installed, int count, bool extracting);

private:
    void buildDownloadPage();
    void buildInstallPage();
    void showPage(Page page, bool playShown);
    void showState(InstallSession::State state);
    bool focusInDisplay() const;

    QWidget *m_window;
    QWidget *m_titleLogo;
    QWidget *m_playSetting;
    QStackedWidget *m_stack = nullptr;
    QStackedWidget *m_buttonStack = nullptr;
    QPushButton *m_playButton = nullptr;
    QPushButton *m_installButton = nullptr;
    QPushButton *m_updateButton = nullptr;
    QPushButton *m_unzipButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    QPushButton *m_resumeButton = nullptr;
    QLabel *m_downloadStatus = nullptr;
    QLabel *m_fileSizeText = nullptr;
    QLabel *m_process = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_downloadSpeed = nullptr;
    QLabel *m_timeText = nullptr;
    QLabel *m_archives = nullptr;
    QProgressBar *m_zipBar = nullptr;
    QLabel *m_zipProcess = nullptr;
    QParallelAnimationGroup *m_fadeIn = nullptr;
    std::unique_ptr<VerifyPage> m_verifyPage;
    InstallSession::State m_state = InstallSession::State::Idle;
    bool m_verifying = false;
    bool m_focusFollows = true;
};
