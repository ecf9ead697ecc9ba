#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <atomic>
#include <memory>

// Decodes video frames from their files on a worker thread, one request at a
// time, at the size they are painted at, so the GUI thread only turns ready
// images into pixmaps. Requests of an older load (generation), and frames
// that playback has already passed when their turn comes, are skipped and
// answered with a null image: a decoder that fell behind catches up instead
// of decoding frames nobody will see.
class FrameDecoder : public QObject
{
    Q_OBJECT
public:
    // A frame larger than this many times the size it is painted at (on
    // either side) is not one of ours: a background needs no more pixels
    // than the window.
    static constexpr int kMaxOversize = 3;

    // `position`: the frame shown; frames up to `window` ahead are decoded.
    FrameDecoder(
        std::shared_ptr<std::atomic<quint64>> generation, std::shared_ptr<std::atomic_int> position, int window)
        : m_generation(std::move(generation))
        , m_position(std::move(position))
        , m_window(window)
    { }

    // The frame at `path` scaled to `size`; null when it cannot be read or
    // declares more than kMaxOversize times `size`.
    static QImage decodeFrame(const QString &path, const QSize &size);

public slots:
    void decode(quint64 generation, int index, int count, const QString &path, const QSize &size);

signals:
    // `image` null: skipped (`unreadable` false) or a frame that cannot be read.
    void decoded(quint64 generation, int index, QImage image, bool unreadable);

private:
    std::shared_ptr<std::atomic<quint64>> m_generation;
    std::shared_ptr<std::atomic_int> m_position;
    int m_window;
};
