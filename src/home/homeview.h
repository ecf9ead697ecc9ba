#pragma once

#include <QHash>
#include <QIcon>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;

// The column of link buttons at the right edge of the home page: the game's
// site, shop, help desk and social channels. Which buttons an edition shows,
// their icons, what they do and their addresses come from the button document
// (":/homeBtn/homeButtonJson.json"); the addresses are deployment data.
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
    static const QString kDocument;

    // The edition from the launcher's configuration.
    explicit HomeView(QWidget *parent = nullptr);
    // `document` empty: kDocument.
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

    void load(const QString &document);
    void buildButtons(const QString &edition);
    QPushButton *makeSideButton(const QString &id, const QIcon &icon);
    QWidget *createButtons(const QJsonArray &entries, int width, int rowHeight, QWidget *parent);
    QWidget *createQrPopup(const QString &address, const QJsonArray &entries);
    void showPopup(int index);
    void setHoverIcon(int index);
    void setEntryHovered(QWidget *row, bool hovered);
    void scheduleHide(int delayMs);
    void hideUnlessHovered();
    void updateMask();

    int m_launcherType = 1;
    QJsonObject m_document;
    QMap<int, QStringList> m_editionButtons;
    QVector<SideButton> m_buttons;
    QStackedWidget *m_popupArea = nullptr;
    QHash<QWidget *, Entry> m_entries;
    QTimer *m_hideTimer = nullptr;
    // What is under the mouse, from the enter and leave events: the side
    // button's index (-1 none) and the popup area.
    int m_hoveredButton = -1;
    bool m_popupHovered = false;
};
