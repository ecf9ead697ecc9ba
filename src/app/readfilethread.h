#pragma once

#include <QString>
#include <QThread>

// Reads one text file on its own thread and hands the text over once.
class ReadFileThread : public QThread
{
    Q_OBJECT
public:
    explicit ReadFileThread(const QString &path, QObject *parent = nullptr);

signals:
    // The file's text as UTF-8, or an empty text when it cannot be read.
    void sendString(QString str);

protected:
    void run() override;

private:
    const QString m_path;
};
