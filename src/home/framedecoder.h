#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <atomic>
#include <memory>

// Decodes video frames from their files on a worker thread, one request at a
// time, at the size they are painted at, so the GUI thread only turns ready
// images into pixmaps. Requests of an older load (generation) are skipped.
class FrameDecoder : public QObject
{
    Q_OBJECT
public:
    // A frame file with more pixels than this is not one of ours.
    static constexpr qint64 kMaxPixels = 8192LL * 8192LL;

    explicit FrameDecoder(std::shared_ptr<std::atomic<quint64>> generation)
        : m_generation(std::move(generation))
    { }

    // The frame at `path` scaled to `size`; null when it cannot be read.
    static QImage decodeFrame(const QString &path, const QSize &size);

public slots:
    void decode(quint64 generation, int index, const QString &path, const QSize &size);

signals:
    void decoded(quint64 generation, int index, QImage image);

private:
    std::shared_ptr<std::atomic<quint64>> m_generation;
};
