#include "mainwindow/playsettingpopup.h"

#include "mainwindow/installdisplay.h"
#include "widgets/trianglewidget.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QPushButton>
#include <QTimer>

PlaySettingPopup::PlaySettingPopup(QWidget *window)
    : QObject(window)
{
    m_widget = new QWidget(window);
    m_widget->setObjectName(QStringLiteral("PlaybuttonSettingWidget"));
    m_widget->setGeometry(1155, 617, 70, 80);
    m_button = InstallDisplay::makeButton(QStringLiteral("pushButton_playsetting"), m_widget, QRect(0, 0, 70, 77));
    m_button->installEventFilter(this);

    m_popup = new TriangleWidget(window);
    m_popup->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    m_popup->setAttribute(Qt::WA_TranslucentBackground);
    m_popup->setFixedSize(128, 100);
    // Room for the longer translations ("リソース削除").
    m_popup->buttonLayout()->setContentsMargins(3, 0, 6, 10);
    addEntry("pushButton_cleared", QT_TRANSLATE_NOOP("MainWindow", "cleared"));
    addEntry("pushButton_checkUpddate", QT_TRANSLATE_NOOP("MainWindow", "checkUpddate"));
    addEntry("pushButton_verifyFiles", QT_TRANSLATE_NOOP("MainWindow", "verifyGameFiles"));
    connect(m_popup->findChild<QPushButton *>(QStringLiteral("pushButton_cleared")), &QPushButton::clicked, this,
        &PlaySettingPopup::clearRequested);
    connect(m_popup->findChild<QPushButton *>(QStringLiteral("pushButton_checkUpddate")), &QPushButton::clicked, this,
        &PlaySettingPopup::checkRequested);
    connect(m_popup->findChild<QPushButton *>(QStringLiteral("pushButton_verifyFiles")), &QPushButton::clicked, this,
        &PlaySettingPopup::verifyRequested);
    m_hideTimer = new QTimer(this);
    m_hideTimer->setSingleShot(true);
    m_hideTimer->setInterval(100);
    connect(m_hideTimer, &QTimer::timeout, m_popup, &QWidget::hide);
    connect(m_popup, &TriangleWidget::mouseEntered, m_hideTimer, &QTimer::stop);
    connect(m_popup, &TriangleWidget::mouseLeft, m_hideTimer, qOverload<>(&QTimer::start));
    m_popup->hide();
}

void PlaySettingPopup::addEntry(const char *name, const char *key)
{
    auto *button = new QPushButton(QCoreApplication::translate("MainWindow", key), m_popup);
    button->setObjectName(QLatin1String(name));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton { color: #333333; font-size: 12px; text-align: left;"
                                         " border: none; padding: 2px 4px; }"
                                         "QPushButton:hover { color: #C66030; }"));
    m_popup->buttonLayout()->addWidget(button);
    connect(button, &QPushButton::clicked, m_popup, &QWidget::hide);
}

bool PlaySettingPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_button) {
        if (event->type() == QEvent::Enter) {
            m_hideTimer->stop();
            // 67 px left of and 68 px above the button's corner: the pop-up's
            // pointer then points down at the button.
            m_popup->move(m_widget->mapToGlobal(QPoint(3 - m_widget->width(), 12 - m_widget->height())));
            m_popup->show();
            m_popup->raise();
        } else if (event->type() == QEvent::Leave) {
            m_hideTimer->start();
        }
    }
    return QObject::eventFilter(watched, event);
}
