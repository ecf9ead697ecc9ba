#pragma once

// Shared by the download tests: a launcher folder, a stand-in with a content
// folder, and files with known content.

#include "support/publisherprocess.h"
#include "support/testenv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>

#include <memory>

// Deterministic, incompressible-looking content of `size` bytes.
inline QByteArray patternBytes(qint64 size, quint32 seed = 1)
{
    QByteArray data(int(size), Qt::Uninitialized);
    quint32 x = seed * 2654435761u + 12345u;
    for (qint64 i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        data[int(i)] = char(x & 0xff);
    }
    return data;
}

inline QByteArray md5Of(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

struct DownloadFixture
{
    TestEnv env;
    QTemporaryDir content;
    std::unique_ptr<PublisherProcess> publisher;

    DownloadFixture()
    {
        QDir().mkpath(content.filePath(QStringLiteral("files")));
        publisher = std::make_unique<PublisherProcess>(content.path());
    }
    // Puts a file on the server; returns its address.
    QString serve(const QString &relative, const QByteArray &data) const
    {
        writeBytes(content.filePath(QStringLiteral("files/") + relative), data);
        return url(relative);
    }
    QString url(const QString &relative) const { return publisher->baseUrl() + QStringLiteral("/files/") + relative; }
    QString downloads(const QString &name) const { return env.filePath(QStringLiteral("Downloads/") + name); }
};

// Collects the log messages of every thread while it lives.
class LogCapture
{
public:
    LogCapture() { s_previous = qInstallMessageHandler(&LogCapture::handle); }
    ~LogCapture()
    {
        qInstallMessageHandler(s_previous);
        QMutexLocker lock(&s_mutex);
        s_lines.clear();
    }
    bool contains(const QString &text) const
    {
        QMutexLocker lock(&s_mutex);
        return std::any_of(s_lines.cbegin(), s_lines.cend(), [&](const QString &line) { return line.contains(text); });
    }
    // The lines holding `text`, in order.
    QStringList matching(const QString &text) const
    {
        QMutexLocker lock(&s_mutex);
        return s_lines.filter(text);
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        {
            QMutexLocker lock(&s_mutex);
            s_lines.append(message);
        }
        if (s_previous)
            s_previous(type, context, message);
    }
    static inline QMutex s_mutex;
    static inline QStringList s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};
