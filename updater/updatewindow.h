#pragma once

#include "selfupdate/selfupdater.h"

#include <QWidget>

class QLabel;
class QProgressBar;

// The small window the player sees while the launcher is replaced: what is
// happening and how far it is, in the language of the installed translator.
// It only shows the updater's reports.
class UpdateWindow : public QWidget
{
    Q_OBJECT
public:
    explicit UpdateWindow(const QString &version, QWidget *parent = nullptr);

    void showStage(SelfUpdater::Stage stage);
    void showProgress(qint64 done, qint64 total);
    void showResult(SelfUpdater::Result result);

private:
    QLabel *m_title;
    QLabel *m_status;
    QProgressBar *m_bar;
    QString m_version;
};
