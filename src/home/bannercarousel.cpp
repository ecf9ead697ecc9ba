#include "home/bannercarousel.h"

#include "app/safepicture.h"
#include "app/weblink.h"
#include "home/bannerimagewidget.h"
#include "update/bannerimageinfo.h"
#include "widgets/hidpi.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEvent>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <functional>

namespace {

QPushButton *arrowButton(const char *name, const char *icon, const char *spoken, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QCoreApplication::translate("MainWindow", spoken));
    button->setFixedSize(30, 30);
    button->setIcon(QIcon(QLatin1String(icon)));
    button->setIconSize(QSize(30, 30));
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
    button->hide();
    return button;
}

} // namespace

BannerCarousel::BannerCarousel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("BannerCarousel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 5, 0, 10);
    layout->setSpacing(0);

    m_imageArea = new QWidget(this);
    m_imageArea->setObjectName(QStringLiteral("banner_imageArea"));
    m_imageArea->setFixedSize(kImageWidth, kImageHeight);
    m_imageArea->setMouseTracking(true);
    m_imageArea->setAttribute(Qt::WA_Hover);
    m_imageArea->setCursor(Qt::PointingHandCursor);
    // The keyboard reaches the picture too: Enter or Space opens it, the
    // arrow keys turn the carousel.
    m_imageArea->setFocusPolicy(Qt::StrongFocus);
    m_imageArea->setAccessibleName(QCoreApplication::translate("MainWindow", "accessible_banner"));
    m_imageArea->installEventFilter(this);
    m_image = new BannerImageWidget(m_imageArea);
    m_image->setFixedSize(kImageWidth, kImageHeight);
    m_image->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_prev = arrowButton("banner_prev", ":/homeBtn/homeBtn/banner/icon_prev.png",
        QT_TRANSLATE_NOOP("MainWindow", "accessible_previousBanner"), m_imageArea);
    m_next = arrowButton("banner_next", ":/homeBtn/homeBtn/banner/icon_next.png",
        QT_TRANSLATE_NOOP("MainWindow", "accessible_nextBanner"), m_imageArea);
    connect(m_prev, &QPushButton::clicked, this, &BannerCarousel::prevImage);
    connect(m_next, &QPushButton::clicked, this, &BannerCarousel::nextImage);
    layout->addWidget(m_imageArea);

    m_indicatorBar = new QWidget(this);
    m_indicatorBar->setObjectName(QStringLiteral("banner_indicators"));
    m_indicatorBar->setFixedHeight(15);
    auto *bar = new QHBoxLayout(m_indicatorBar);
    bar->setSpacing(8);
    bar->setContentsMargins(15, 0, 0, 0);
    bar->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(m_indicatorBar);

    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &BannerCarousel::nextImage);
    m_resume.setSingleShot(true);
    connect(&m_resume, &QTimer::timeout, this, &BannerCarousel::startAutoPlay);
    placeButtons();
}

void BannerCarousel::setItems(const QList<BannerItem> &items)
{
    m_items = items;
    m_current = 0;
    m_hoverIndex = -1;
    loadPictures();
    rebuildIndicators();
    showItem(0);
    startAutoPlay();
}

void BannerCarousel::showItem(int index)
{
    // A picture not decoded (yet) leaves the area empty; the carousel goes on.
    m_image->setPixmap(m_pictures.value(index));
}

void BannerCarousel::loadPictures()
{
    const int ticket = ++m_loadTicket;
    m_pictures = QVector<QPixmap>(m_items.size());
    QStringList paths;
    for (const BannerItem &item : qAsConst(m_items))
        paths << item.imagePath;
    const QSize cap(BannerImageInfo::kMaxSide, BannerImageInfo::kMaxSide);
    const QSize size = HiDpi::devicePixels(m_image->size(), HiDpi::ratio(m_image));
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcherBase::resultReadyAt, this, [this, watcher, ticket](int index) {
        if (ticket != m_loadTicket)
            return;
        m_pictures[index] = HiDpi::shown(watcher->resultAt(index), HiDpi::ratio(m_image));
        if (index == m_current)
            showItem(index);
    });
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, ticket] {
        watcher->deleteLater();
        if (ticket == m_loadTicket)
            emit picturesLoaded();
    });
    // On the pool's threads; each is shown as soon as it is ready.
    const std::function<QImage(const QString &)> decode = [cap, size](const QString &path) {
        QString why;
        const QImage image = SafePicture::decode(path, cap, size, &why);
        if (image.isNull())
            qWarning().noquote() << QStringLiteral("Banner picture not shown, %1: %2").arg(why, path);
        return image;
    };
    watcher->setFuture(QtConcurrent::mapped(paths, decode));
}

void BannerCarousel::rebuildIndicators()
{
    auto *bar = static_cast<QHBoxLayout *>(m_indicatorBar->layout());
    while (m_indicators.size() < m_items.size()) {
        auto *indicator = new QWidget(m_indicatorBar);
        indicator->setObjectName(QStringLiteral("banner_indicator"));
        indicator->setFixedSize(7, 7);
        indicator->setAttribute(Qt::WA_StyledBackground);
        indicator->installEventFilter(this);
        bar->addWidget(indicator);
        m_indicators.append(indicator);
    }
    for (int i = 0; i < m_indicators.size(); ++i)
        m_indicators.at(i)->setVisible(i < m_items.size());
    styleIndicators();
}

void BannerCarousel::styleIndicators()
{
    for (int i = 0; i < m_indicators.size(); ++i) {
        m_indicators.at(i)->setStyleSheet(i == m_current
                ? QStringLiteral("border-radius: 3px; background: rgb(198, 96, 48);")
                : QStringLiteral("border-radius: 3px; background: rgb(153, 153, 153);"));
    }
}

void BannerCarousel::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_items.size() || index == m_current)
        return;
    m_current = index;
    showItem(index);
    styleIndicators();
    emit currentIndexChanged(index);
    pauseAutoPlay(kIntervalMs);
}

void BannerCarousel::nextImage()
{
    if (m_items.size() > 1)
        setCurrentIndex((m_current + 1) % m_items.size());
}

void BannerCarousel::prevImage()
{
    if (m_items.size() > 1)
        setCurrentIndex((m_current + m_items.size() - 1) % m_items.size());
}

void BannerCarousel::startAutoPlay()
{
    if (!m_items.isEmpty() && !m_timer.isActive())
        m_timer.start(kIntervalMs);
}

void BannerCarousel::pauseAutoPlay(int ms)
{
    m_timer.stop();
    m_resume.stop();
    if (ms > 0)
        m_resume.start(ms);
}

bool BannerCarousel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_imageArea) {
        switch (event->type()) {
        case QEvent::Enter:
            m_prev->show();
            m_next->show();
            m_resume.stop();
            startAutoPlay();
            m_image->zoomIn();
            break;
        case QEvent::Leave:
            m_prev->hide();
            m_next->hide();
            pauseAutoPlay(kIntervalMs);
            m_image->zoomOut();
            break;
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && openCurrent())
                return true;
            break;
        case QEvent::KeyPress:
            return keyPressed(static_cast<QKeyEvent *>(event)->key());
        default:
            break;
        }
        return false;
    }
    const int indicator = m_indicators.indexOf(static_cast<QWidget *>(watched));
    if (indicator >= 0 && event->type() == QEvent::Enter) {
        m_hoverIndex = indicator;
        setCurrentIndex(indicator);
        return true;
    }
    if (indicator >= 0 && event->type() == QEvent::Leave)
        m_hoverIndex = -1;
    return QWidget::eventFilter(watched, event);
}

bool BannerCarousel::openCurrent()
{
    if (m_current >= m_items.size())
        return false;
    const QString link = m_items.at(m_current).link;
    qDebug().noquote() << QStringLiteral("Opening:") << link;
    openWebLink(QUrl(link));
    return true;
}

bool BannerCarousel::keyPressed(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        return openCurrent();
    case Qt::Key_Left:
        prevImage();
        return true;
    case Qt::Key_Right:
        nextImage();
        return true;
    default:
        return false;
    }
}

void BannerCarousel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeButtons();
}

void BannerCarousel::placeButtons()
{
    const int y = (m_imageArea->height() - m_prev->height()) / 2;
    m_prev->move(10, y);
    m_next->move(m_imageArea->width() - m_next->width() - 10, y);
}
