#include "home/notificationview.h"

#include "content/notificationplugin.h"
#include "widgets/hidpi.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <memory>

NotificationView::NotificationView(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kWidth, kHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() + 1 - kWidth, area.bottom() + 1 - kHeight);
    }

    m_background = new QLabel(this);
    m_background->setGeometry(0, 0, kWidth, kHeight);
    m_background->setScaledContents(true);
    m_background->lower();

    auto *bar = new QLabel(this);
    bar->setGeometry(0, kHeight - kBarHeight, kWidth, kBarHeight);
    bar->setPixmap(HiDpi::picture(QStringLiteral(":/mainwindow/messageBomBackImage.png"), HiDpi::ratio(bar)));
    bar->setScaledContents(true);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setSpacing(0);
    barLayout->setContentsMargins(0, 0, 0, 0);

    auto *iconPanel = new QWidget(bar);
    iconPanel->setFixedSize(130, kBarHeight);
    auto *iconLayout = new QVBoxLayout(iconPanel);
    iconLayout->setContentsMargins(20, 12, 0, 8);
    auto *icon = new QLabel(iconPanel);
    icon->setFixedSize(70, 70);
    icon->setScaledContents(true);
    icon->setPixmap(QPixmap(QStringLiteral(":/mainwindow/messageicon-1024.png")));
    iconLayout->addWidget(icon, 0, Qt::AlignLeft | Qt::AlignTop);
    barLayout->addWidget(iconPanel, 0, Qt::AlignCenter);

    auto *textPanel = new QWidget(bar);
    auto *textLayout = new QVBoxLayout(textPanel);
    textLayout->setContentsMargins(0, 12, 0, 10);
    textLayout->setSpacing(0);
    m_title = new QLabel(textPanel);
    m_title->setObjectName(QStringLiteral("pushButton_gameName"));
    m_title->setWordWrap(true);
    // Server text is shown as written, never read as markup.
    m_title->setTextFormat(Qt::PlainText);
    m_title->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_content = new QLabel(textPanel);
    m_content->setObjectName(QStringLiteral("pushButton_noticeMessage"));
    m_content->setWordWrap(true);
    m_content->setTextFormat(Qt::PlainText);
    m_content->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    textLayout->addWidget(m_title);
    textLayout->addWidget(m_content);
    barLayout->addWidget(textPanel);

    auto *closePanel = new QWidget(bar);
    auto *closeLayout = new QVBoxLayout(closePanel);
    closeLayout->setContentsMargins(0, 12, 30, 0);
    closeLayout->setSpacing(0);
    m_closeButton = new QPushButton(closePanel);
    m_closeButton->setObjectName(QStringLiteral("pushButton_closeButton"));
    m_closeButton->setFixedSize(25, 25);
    m_closeButton->setIcon(QIcon(QStringLiteral(":/mainwindow/messageclosebtn.png")));
    m_closeButton->setCursor(Qt::PointingHandCursor);
    m_closeButton->setAccessibleName(QCoreApplication::translate("MainWindow", "CloseToolTip"));
    closeLayout->addWidget(m_closeButton, 0, Qt::AlignRight | Qt::AlignTop);
    closeLayout->addStretch();
    barLayout->addWidget(closePanel);

    connect(m_closeButton, &QPushButton::clicked, this, &NotificationView::onCloseButtonClicked);
}

void NotificationView::present(NotificationPlugin *plugin)
{
    auto view = std::make_shared<QPointer<NotificationView>>();
    // The id of the alert on screen.
    auto shownId = std::make_shared<int>(0);
    QObject::connect(plugin, &NotificationPlugin::alertReady, plugin,
        [plugin, view, shownId](int messageId, const QString &title, const QString &content, const QImage &image) {
            *shownId = messageId;
            if (!*view) {
                auto *created = new NotificationView;
                *view = created;
                QObject::connect(
                    created, &NotificationView::messageClicked, plugin, &NotificationPlugin::onMessageClicked);
                const auto closeView = [created] {
                    created->close();
                    // Deleted after the close signal has returned to the button.
                    created->deleteLater();
                };
                QObject::connect(created, &NotificationView::messageClosed, plugin, [plugin, closeView] {
                    plugin->onMessageClosed();
                    closeView();
                });
                QObject::connect(created, &NotificationView::messageSetAside, plugin, [plugin, closeView, shownId] {
                    plugin->saveMessageId(*shownId);
                    closeView();
                });
            }
            (*view)->setImage(QPixmap::fromImage(image));
            (*view)->setContent(title, content);
            (*view)->show();
        });
}

void NotificationView::closeOpenAlerts()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *view = qobject_cast<NotificationView *>(window);
        if (view && view->isVisible())
            emit view->messageSetAside();
    }
}

void NotificationView::setImage(const QPixmap &image)
{
    // The picture covers the panel at its proportions, not squeezed into it.
    const QImage picture = image.isNull() ? QImage(QStringLiteral(":/mainwindow/mainwindow_en.png")) : image.toImage();
    m_background->setPixmap(HiDpi::covering(picture, m_background->size(), HiDpi::ratio(m_background)));
}

void NotificationView::setContent(const QString &title, const QString &content)
{
    m_title->setText(title);
    m_content->setText(content);
}

void NotificationView::onCloseButtonClicked()
{
    emit messageClosed();
}

void NotificationView::mousePressEvent(QMouseEvent *event)
{
    emit messageClicked();
    QWidget::mousePressEvent(event);
}
