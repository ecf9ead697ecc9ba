#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>

// The real launcher executable run as a child of a test: its single-instance
// guard lives in `tempDir` (copies of other test runs never meet it), the
// variables are added to its environment, and everything it prints is kept.
// A launcher still running when this ends is killed.
class LauncherProcess
{
public:
    LauncherProcess(const QString &program, const QString &tempDir, const QMap<QString, QString> &variables = {});
    ~LauncherProcess();

    LauncherProcess(const LauncherProcess &) = delete;
    LauncherProcess &operator=(const LauncherProcess &) = delete;

    QProcess &process() { return m_process; }
    QString output() const { return QString::fromUtf8(m_output); }
    bool said(const QString &text) const { return output().contains(text); }
    void signal(int number);

private:
    QProcess m_process;
    QByteArray m_output;
};
