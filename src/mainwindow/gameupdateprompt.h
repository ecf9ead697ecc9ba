#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class GameInstallPlugin;
class MainWindow;
class QWidget;
#include "settings/settingcommondialog.h"

// The game-update question the user meets after a version check of their own:
// the play-settings pop-up's "check for updates" (through the install plug-in's
// prompted check) and the settings' game check. It shows "New Version
// found(%1), update now?" with Cancel and Update; Update turns the question
// into "Connecting..." while the package is asked for, and the window starts
// the download once it is known. Every other outcome is a one-button tip.
//
// Lives on the GUI thread; never waits: dialogs are opened with open().
class GameUpdatePrompt : public QObject
{
    Q_OBJECT
public:
    GameUpdatePrompt(GameInstallPlugin *plugin, MainWindow *window);

    // The settings window while it is open (questions and tips sit over it),
    // and how to close it once an update has been answered.
    void setSettingsHost(std::function<QWidget *()> host, std::function<void()> closeHost);

    // The settings' manual game check: asks the update service and answers
    // with the question or a tip.
    void checkGameVersion();

    // The question or tip shown last, while it exists.
    SettingCommonDialog *question() const { return m_question; }
    SettingCommonDialog *tip() const { return m_tip; }

private:
    void onCheckAnswer(const QString &storedVersion, const class ApiResult *reply);
    void ask(const QString &latestVersion);
    void confirmUpdate(SettingCommonDialog *dialog, const QString &latestVersion);
    void onAnswered();
    void showTip(const QString &text);
    QWidget *host() const;
    QWidget *placeDialog(SettingCommonDialog *dialog);

    GameInstallPlugin *m_plugin;
    MainWindow *m_window;
    std::function<QWidget *()> m_host;
    std::function<void()> m_closeHost;
    QPointer<SettingCommonDialog> m_question;
    QPointer<SettingCommonDialog> m_tip;
    // The question asked over the settings window, which closes with the answer.
    bool m_askedInSettings = false;
    // Between the end of the package query and the signals that follow it
    // in the same call: what the answer turned out to be.
    enum class Answer { None, Waiting, Started, Reported };
    Answer m_answer = Answer::None;
};
