#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QProgressBar;
class QTabWidget;

// Clears the game's resources: deletes the install folder and the launcher's
// downloads on a worker thread (DeleteFileTask), shows the progress, and
// when the deletion has finished forgets the install state, so that the
// launcher offers a fresh installation. It refuses, deleting nothing, while
// an install or the game runs and when the install folder is not the game's.
class DeleteGameResourceDialog : public QDialog
{
    Q_OBJECT
public:
    struct Request
    {
        QString installDir;
        // An install or the game is running.
        bool busy = false;
        // The game is running (told as such).
        bool gameRunning = false;
        // The folder of an install the launcher started: cleared even
        // without the game's files.
        bool launcherRecorded = false;
        // Empty: the application directory and its "Downloads/".
        QString launcherDir;
        QString downloadsDir;
    };

    DeleteGameResourceDialog(const Request &request, QWidget *parent, Qt::WindowFlags flags = {});

    bool isDeleting() const { return m_deleting; }
    // Why nothing is deleted; empty when the deletion was started.
    QString refusal() const { return m_refusal; }

public slots:
    void updateUiProcess(int value);
    void deleteFinish();
    void reject() override;

signals:
    // The confirm button of the finished page.
    void deleteFinishSignal();
    // The deletion has ended and the install records are gone, however the
    // finished page is then left.
    void deletionDone();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildPages(QWidget *panel);
    void decide(const Request &request);
    void start(const QStringList &paths);

    QTabWidget *m_tabs = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_doneLabel = nullptr;
    QPushButton *m_close = nullptr;
    QString m_refusal;
    bool m_deleting = false;
};
