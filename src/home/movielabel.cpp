#include "home/movielabel.h"

#include "api/requestrecords.h"
#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "content/framedecoder.h"
#include "content/posterplugin.h"
#include "db/dbmanager.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QtConcurrent>

MovieLabel::MovieLabel(DbManager *database, QWidget *parent)
    : QLabel(parent)
    , m_database(database ? database : DbManager::instance())
    , m_position(std::make_shared<std::atomic_int>(0))
    , m_generation(std::make_shared<std::atomic<quint64>>(1))
{
    connect(m_database, &DbManager::operationCompleted, this, &MovieLabel::onDatabaseAnswer);
    connect(&m_timer, &QTimer::timeout, this, &MovieLabel::onTick);
    m_timer.setTimerType(Qt::PreciseTimer);

    m_decoderThread.setObjectName(QStringLiteral("FrameDecoder"));
    m_decoder = new FrameDecoder(m_generation, m_position, kRingFrames);
    m_decoder->moveToThread(&m_decoderThread);
    connect(&m_decoderThread, &QThread::finished, m_decoder, &QObject::deleteLater);
    connect(this, &MovieLabel::decodeRequested, m_decoder, &FrameDecoder::decode);
    connect(m_decoder, &FrameDecoder::decoded, this, &MovieLabel::onDecoded);
    m_decoderThread.start(QThread::InheritPriority);
}

MovieLabel::~MovieLabel()
{
    newGeneration(); // queued decodes are skipped
    m_decoderThread.quit();
    m_decoderThread.wait(); // at most the one frame being decoded
}

int MovieLabel::refreshFor(int stored)
{
    if (stored == -1)
        return kDefaultRefreshMs;
    return qMax(stored, kMinRefreshMs);
}

void MovieLabel::newGeneration()
{
    m_generation->fetch_add(1);
    m_ready.clear();
    m_inFlight.clear();
    m_unreadable.clear();
}

void MovieLabel::loadVideo()
{
    m_queryId = m_database->queryBgVideo(manifestGameId());
}

void MovieLabel::onDatabaseAnswer(int requestId, bool success, const QVariantList &rows)
{
    if (requestId == 0 || requestId != m_queryId)
        return;
    m_queryId = 0;
    const QString url
        = success && !rows.isEmpty() ? rows.first().toMap().value(QStringLiteral("bgVideoUrl")).toString() : QString();
    QString folder = url.isEmpty() ? QString() : PosterPlugin::installedVideoFolder(url);
    if (!url.isEmpty() && folder.isEmpty()) {
        qDebug("video dir not exist");
        folder.clear();
    }
    if (folder.isEmpty())
        folder = AppDir::filePath(QStringLiteral("QtQuick/WebPage/video/default"));
    loadFolder(folder);
}

void MovieLabel::loadFolder(const QString &folder)
{
    if (folder == m_folder)
        return;
    if (m_timer.isActive())
        m_timer.stop();
    qDebug("need to load new Pixmap ");
    newGeneration();
    m_frames.clear();
    m_shown = QPixmap();
    m_index = 0;
    m_position->store(0);
    m_folder = folder;

    // The list is built on the pool thread and handed over whole; a list of
    // an older load (a stop or another folder since) is dropped.
    const quint64 generation = m_generation->load();
    const std::shared_ptr<std::atomic<quint64>> current = m_generation;
    auto *watcher = new QFutureWatcher<QStringList>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_generation->load())
            return;
        m_frames = watcher->result();
        emit loadFinish();
    });
    watcher->setFuture(QtConcurrent::run([folder, generation, current] {
        QStringList frames;
        const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &entry : entries) {
            if (generation != current->load())
                return QStringList();
            const QString path = entry.absoluteFilePath();
            if (!frames.contains(path))
                frames.append(path);
        }
        return frames;
    }));
}

void MovieLabel::startPlay()
{
    if (!PosterPlugin::videoEnabled()) {
        qInfo("The background video is switched off");
        return;
    }
    if (auto *effect = qobject_cast<QGraphicsOpacityEffect *>(graphicsEffect()))
        effect->setOpacity(1.0);
    m_playing = true;
    const int stored = LauncherConfig::instance()->readInt(QStringLiteral("VIDEO"), QStringLiteral("video_refresh"));
    const int interval = refreshFor(stored);
    qDebug() << "startPlay-video-refresh" << interval;
    qInfo().noquote()
        << QStringLiteral("The background video plays: %1 frames, one every %2 ms").arg(m_frames.size()).arg(interval);
    requestAhead();
    m_timer.start(interval);
}

void MovieLabel::stop()
{
    m_queryId = 0;
    m_timer.stop();
    m_playing = false;
    newGeneration(); // a listing or decode still running is ignored
    m_frames.clear();
    m_shown = QPixmap();
    m_folder.clear();
    m_index = 0;
    m_position->store(0);
    update();
}

int MovieLabel::distance(int index) const
{
    const int count = m_frames.size();
    return (index - m_index + count) % count;
}

void MovieLabel::requestAhead()
{
    const int count = m_frames.size();
    if (count == 0)
        return;
    const quint64 generation = m_generation->load();
    const QSize size(kFrameWidth, kFrameHeight);
    for (int step = 0; step <= kRingFrames && step < count; ++step) {
        const int index = (m_index + step) % count;
        if (m_ready.contains(index) || m_inFlight.contains(index))
            continue;
        if (m_unreadable.contains(index)) {
            m_ready.insert(index, QPixmap()); // its place, without reading it again
            continue;
        }
        m_inFlight.insert(index);
        emit decodeRequested(generation, index, count, m_frames.at(index), size);
    }
}

void MovieLabel::onDecoded(quint64 generation, int index, const QImage &image, bool unreadable)
{
    if (generation != m_generation->load())
        return;
    m_inFlight.remove(index);
    const bool keepsAll = m_frames.size() <= kKeepAllFrames;
    if (!keepsAll && distance(index) > kRingFrames)
        return; // passed meanwhile
    if (image.isNull() && !unreadable)
        return; // skipped by the decoder: asked for again when it is due
    // An unreadable frame holds an empty place, so playback goes past it
    // (showing the frame before) instead of waiting for it for ever; it is
    // not read again, and the video's first one is logged.
    if (unreadable && !m_unreadable.contains(index)) {
        if (m_unreadable.isEmpty())
            qWarning().noquote() << QStringLiteral("Cannot read video frame %1; unreadable frames are skipped")
                                        .arg(m_frames.value(index));
        m_unreadable.insert(index);
    }
    m_ready.insert(index, image.isNull() ? QPixmap() : QPixmap::fromImage(image));
    if (index == m_index)
        update();
}

void MovieLabel::onTick()
{
    const int count = m_frames.size();
    if (count == 0)
        return;
    ++m_ticks;
    // A frame not decoded yet is waited for, not skipped: every decode is
    // shown, and a slow disk slows the video down instead of freezing it.
    const int next = (m_index + 1) % count;
    if (!m_ready.contains(next)) {
        requestAhead();
        return;
    }
    ++m_readyTicks;
    m_index = next;
    m_position->store(m_index);
    // Frames that fell behind the one shown leave the ring (a short video
    // keeps them all).
    for (auto it = m_ready.begin(); count > kKeepAllFrames && it != m_ready.end();) {
        if (distance(it.key()) > kRingFrames)
            it = m_ready.erase(it);
        else
            ++it;
    }
    requestAhead();
    update();
}

void MovieLabel::paintEvent(QPaintEvent *event)
{
    if (!m_playing || m_frames.isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    const auto ready = m_ready.constFind(m_index);
    if (ready != m_ready.constEnd() && !ready.value().isNull())
        m_shown = ready.value();
    if (m_shown.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(0, 0, kFrameWidth, kFrameHeight), m_shown);
}
