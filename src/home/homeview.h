#pragma once

#include "content/homebuttondocument.h"

#include <QHash>
#include <QIcon>
#include <QString>
#include <QVector>
#include <QWidget>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;

// The column of link buttons at the right edge of the home page: the game's
// site, shop, help desk and social channels. Which buttons an edition shows,
// their icons, what they do and their addresses come from the button document
// (":/homeBtn/homeButtonJson.json", read by HomeButtonDocument); the view draws them.
//
// Hovering a button opens its popup beside it: a list of links (action "2")
// or a QR code of the button's address with its links (action "1"); a button
// of action "3" opens its address on click. Only http and https addresses are
// opened. The view covers a tall transparent strip of the window, so it takes
// the mouse only over its buttons and the open popup; everywhere else clicks
// reach the widgets under it.
class HomeView : public QWidget
{
    Q_OBJECT
public:
    // The edition from the launcher's configuration.
    explicit HomeView(QWidget *parent = nullptr);
    // `document` empty: HomeButtonDocument::kResource.
    HomeView(int launcherType, QWidget *parent, const QString &document = QString());

    // The side buttons top to bottom; each carries its id in "buttonId".
    QVector<QPushButton *> sideButtons() const;
    // Holds one popup per side button, at the button's index; shown while
    // the mouse is over a button or its popup.
    QStackedWidget *popupArea() const { return m_popupArea; }

signals:
    void buttonClicked(QString buttonId);

public slots:
    void onRegionButtonClicked();
    // Hides the popup and gives every button its normal icon.
    void onQRWidgetLeave();
    void handleButtonClick(int index);
    void handleRightButtonClick(int index, QString linkUrl);
    void handleLinkButtonClick(int index, QString linkUrl);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct SideButton
    {
        QPushButton *button = nullptr;
        QIcon normal;
        QIcon hover;
    };
    struct Entry
    {
        QLabel *text = nullptr;
        QLabel *arrow = nullptr;
        int index = 0;
        QString url;
    };

    void buildButtons(const QVector<HomeButton> &buttons);
    QPushButton *addButton(const HomeButton &button);
    QWidget *createButtons(const QVector<HomeLink> &links, int width, int rowHeight, QWidget *parent);
    QWidget *createQrPopup(const QString &address, const QVector<HomeLink> &links);
    void showPopup(int index);
    void setHoverIcon(int index);
    void setEntryHovered(QWidget *row, bool hovered);
    void scheduleHide(int delayMs);
    // Whether the keyboard is in the shown popup or on its side button.
    bool keyboardInPopup() const;
    QList<QWidget *> shownRows() const;
    // Gives the keyboard to row `index` of the shown popup, counted round.
    void focusRow(int index);
    bool rowKeyPressed(QWidget *row, int key);
    void hideUnlessHovered();
    void updateMask();

    QVector<SideButton> m_buttons;
    QStackedWidget *m_popupArea = nullptr;
    QHash<QWidget *, Entry> m_entries;
    QTimer *m_hideTimer = nullptr;
    // What is under the mouse, from the enter and leave events: the side
    // button's index (-1 none) and the popup area.
    int m_hoveredButton = -1;
    bool m_popupHovered = false;
};
