#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// One line of a home button's popup: its text (a catalogue key of the context
// "QObject") and, when it can be clicked, its web address.
struct HomeLink
{
    QString text;
    QString arrowIcon; // empty: the default arrow
    QString url; // empty for a line shown for its text only
};

// One link button of the home page, as the edition shows it.
struct HomeButton
{
    // What hovering or clicking the button does; the numbers are the document's values.
    enum class Action {
        QrCode = 1, // hovering shows a QR code of `qrAddress` and the links
        List = 2, // hovering shows the links
        Open = 3, // a click opens the first link's address
    };

    QString id;
    Action action = Action::Open;
    QString normalIcon;
    QString hoverIcon;
    QString qrAddress;
    QVector<HomeLink> links;
};

// Reads the home buttons' document (":/homeBtn/homeButtonJson.json"): which
// buttons an edition shows, in which order, with which icons, action and
// links. The addresses are deployment data; a clickable link whose address is
// not an http or https address is refused with a log line, and so is an
// "open" button left without an address. A document that cannot be read
// gives no buttons, with a log line.
class HomeButtonDocument
{
public:
    static const QString kResource;

    // The button ids of an edition, top to bottom; empty for an unknown edition.
    static QStringList editionButtons(int launcherType);

    static QVector<HomeButton> read(const QString &path, int launcherType);
    // `source` names the document in log lines.
    static QVector<HomeButton> parse(const QByteArray &json, int launcherType, const QString &source);
};
