#include "app/readfilethread.h"

#include <QDebug>
#include <QFile>

ReadFileThread::ReadFileThread(const QString &path, QObject *parent)
    : QThread(parent)
    , m_path(path)
{ }

void ReadFileThread::run()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "ReadFileThread Failed to filePath : " << m_path;
        emit sendString(QString());
        return;
    }
    emit sendString(QString::fromUtf8(file.readAll()));
}
