#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class DbManager;
class QWidget;
class WarningDialogWithSingleButton;
class WarningDialogwithDoublebutton;

// The hidden reset behind the text logo: the tenth click asks whether to
// delete the launcher's data ("Downloads/", "AppData/", "Images/", "Update/"
// and the whole settings store). It is refused while a download or an
// extraction runs, since their files would be deleted under them; the
// database is closed before "AppData/" goes and opened again afterwards.
// The folders are deleted off the GUI thread. Once a reset has run, further
// clicks do nothing; a refused or declined one can be asked for again.
class LogoReset : public QObject
{
    Q_OBJECT
public:
    static constexpr int kClicks = 10;

    struct Collaborators
    {
        QWidget *window = nullptr; // the dialogs' parent
        DbManager *database = nullptr; // null: no database to pause
        std::function<bool()> busy; // a download or an extraction runs
    };

    explicit LogoReset(Collaborators collaborators, QObject *parent = nullptr);

    void click();

    // The question or the refusal shown last, while it exists.
    WarningDialogwithDoublebutton *question() const { return m_question; }
    WarningDialogWithSingleButton *notice() const { return m_notice; }
    bool isRunning() const { return m_running; }

signals:
    // The data are deleted (`ok`: every folder went) and the database is open again.
    void finished(bool ok);

private:
    void ask();
    void run();
    void refuse();
    void removeData();
    void finish(bool ok);

    Collaborators m_collaborators;
    int m_clicks = 0;
    bool m_running = false;
    bool m_done = false;
    int m_closeMarker = -1;
    QPointer<WarningDialogwithDoublebutton> m_question;
    QPointer<WarningDialogWithSingleButton> m_notice;
};
