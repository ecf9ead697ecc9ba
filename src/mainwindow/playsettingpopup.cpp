#include "mainwindow/playsettingpopup.h"

#include "mainwindow/installdisplay.h"
#include "widgets/artstyle.h"
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
    m_button->setAccessibleName(QCoreApplication::translate("MainWindow", "accessible_playSettings"));
    m_button->installEventFilter(this);
    connect(m_button, &QPushButton::clicked, this, &PlaySettingPopup::openAsMenu);

    m_popup = new TriangleWidget(window);
    m_popup->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    m_popup->setAttribute(Qt::WA_TranslucentBackground);
    // Three entries of 14 px text with room around them; the longer
    // translations ("リソース削除") fit on one line.
    m_popup->setFixedSize(128, 124);
    m_popup->buttonLayout()->setContentsMargins(6, 6, 6, 16);
    m_popup->buttonLayout()->setSpacing(2);
    m_popup->setStyleSheet(QStringLiteral("QPushButton { color: %1; font-size: 14px; text-align: left;"
                                          " border: none; border-radius: 4px; padding: 5px 10px; }"
                                          "QPushButton:hover { color: %2; background-color: %3; }")
                               .arg(QLatin1String(ArtStyle::Ink), QLatin1String(ArtStyle::EmberDeep),
                                   QLatin1String(ArtStyle::EntryHighlight)));
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
    m_popup->installEventFilter(this);
    m_popup->hide();
}

void PlaySettingPopup::place()
{
    // 67 px left of the button's corner and its pointer's tip 6 px
    // below the button's top: the pointer points down at the button.
    m_popup->move(m_widget->mapToGlobal(QPoint(3 - m_widget->width(), 7 - m_popup->height())));
}

void PlaySettingPopup::openAsMenu()
{
    // Pressed (the keyboard's way in): a menu that holds the keyboard, its
    // first entry focused, closed by Escape or a press elsewhere.
    m_hideTimer->stop();
    m_popup->hide();
    m_popup->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    place();
    m_popup->show();
    m_popup->raise();
    if (auto *first = m_popup->findChild<QPushButton *>())
        first->setFocus(Qt::PopupFocusReason);
}

void PlaySettingPopup::addEntry(const char *name, const char *key)
{
    auto *button = new QPushButton(QCoreApplication::translate("MainWindow", key), m_popup);
    button->setObjectName(QLatin1String(name));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setAttribute(Qt::WA_Hover);
    m_popup->buttonLayout()->addWidget(button);
    connect(button, &QPushButton::clicked, m_popup, &QWidget::hide);
}

bool PlaySettingPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_button) {
        const bool menu = m_popup->windowType() == Qt::Popup;
        if (event->type() == QEvent::Enter && !(menu && m_popup->isVisible())) {
            m_hideTimer->stop();
            if (menu)
                m_popup->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
            place();
            m_popup->show();
            m_popup->raise();
        } else if (event->type() == QEvent::Leave && !menu) {
            m_hideTimer->start();
        }
    } else if (watched == m_popup && event->type() == QEvent::Hide && m_popup->windowType() == Qt::Popup
        && m_button->isVisible()) {
        // The keyboard comes back to the button that opened the menu.
        m_button->setFocus(Qt::PopupFocusReason);
    }
    return QObject::eventFilter(watched, event);
}
