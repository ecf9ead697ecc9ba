#pragma once

#include <QHash>
#include <QLabel>
#include <QPixmap>
#include <QSet>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

class DbManager;
class FrameDecoder;

// The home page's background video: a folder of still images played in name
// order over the window's background. The folder is the one the database's
// "bgvideo" row names, or "video/default/".
//
// Frames are decoded ahead on a worker thread into a ring of at most
// kRingFrames pixmaps ahead of the frame shown, so memory stays bounded
// whatever the frame count and a tick never waits for the disk: when the next
// frame is not decoded yet, the tick keeps the frame shown and playback
// continues with the next tick. A video of at most kKeepAllFrames frames
// stays decoded once it has played through (about 37 MB at 1280 x 720): it
// loops without decoding again, where a longer one is decoded round after
// round through the ring.
class MovieLabel : public QLabel
{
    Q_OBJECT
public:
    static constexpr int kRingFrames = 4;
    static constexpr int kKeepAllFrames = 10;
    static constexpr int kDefaultRefreshMs = 30;
    // A stored interval below this would make the timer spin.
    static constexpr int kMinRefreshMs = 10;
    static constexpr int kFrameWidth = 1280;
    static constexpr int kFrameHeight = 720;

    // `database` null: the launcher's database.
    explicit MovieLabel(DbManager *database = nullptr, QWidget *parent = nullptr);
    ~MovieLabel() override;

    // Asks the database which video is installed and loads its folder.
    void loadVideo();
    // Lists `folder`'s frames on a pool thread; loadFinish() when done.
    // The folder already loaded is not listed again.
    void loadFolder(const QString &folder);
    // Plays the loaded frames at the stored "video_refresh" interval, unless
    // the video is switched off.
    void startPlay();
    // Stops playback and forgets the frames; a listing still running is ignored.
    void stop();

    bool isPlaying() const { return m_playing; }
    QString folder() const { return m_folder; }
    int frameCount() const { return m_frames.size(); }
    int refreshInterval() const { return m_timer.interval(); }
    // Ticks, and those that found the next frame decoded and showed it.
    qint64 ticks() const { return m_ticks; }
    qint64 readyTicks() const { return m_readyTicks; }
    // Pixmaps held (the ring), never more than kRingFrames + 1 for a video
    // longer than kKeepAllFrames.
    int heldFrames() const { return m_ready.size(); }
    // Frames of the loaded video found unreadable (skipped from then on).
    int unreadableFrames() const { return m_unreadable.size(); }

    // The timer interval for a stored "video_refresh" (-1 when absent).
    static int refreshFor(int stored);

signals:
    void loadFinish();
    void decodeRequested(quint64 generation, int index, int count, QString path, QSize size);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void onDatabaseAnswer(int requestId, bool success, const QVariantList &rows);
    void onDecoded(quint64 generation, int index, const QImage &image, bool unreadable);
    void onTick();
    void requestAhead();
    // How far `index` lies ahead of the frame shown, counting round the end.
    int distance(int index) const;
    void newGeneration();

    DbManager *m_database = nullptr;
    int m_queryId = 0;
    QString m_folder;
    QStringList m_frames;
    bool m_playing = false;
    int m_index = 0;
    // m_index for the decoder thread.
    std::shared_ptr<std::atomic_int> m_position;
    QTimer m_timer;
    qint64 m_ticks = 0;
    qint64 m_readyTicks = 0;

    std::shared_ptr<std::atomic<quint64>> m_generation;
    QThread m_decoderThread;
    FrameDecoder *m_decoder = nullptr;
    QHash<int, QPixmap> m_ready;
    QSet<int> m_inFlight;
    // Frames of this video that cannot be read: logged once, then skipped.
    QSet<int> m_unreadable;
    QPixmap m_shown;
};
