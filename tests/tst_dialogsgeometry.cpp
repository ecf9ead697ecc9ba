#include "app/qmlcommonconfigs.h"
#include "mainwindow/deletegameresourcedialog.h"
#include "mainwindow/uiresources.h"
#include "settings/closeappmodel.h"
#include "settings/crashnotice.h"
#include "settings/settingcommondialog.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"
#include "support/testenv.h"
#include "update/updatedialog.h"
#include "widgets/qmlhostdialog.h"
#include "widgets/uiresources.h"

#include <QLabel>
#include <QPushButton>
#include <QQuickItem>
#include <QQuickWidget>
#include <QTranslator>
#include <QtTest>

#include <functional>
#include <map>
#include <memory>

// Every message dialog, in every language, as laid out on screen: each row
// of buttons is centred on its panel, and no text is cut by its box.
class DialogsGeometryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { m_env.reset(); }
    void dialogIsLaidOut_data();
    void dialogIsLaidOut();
    void crashNoticeIsTranslated_data();
    void crashNoticeIsTranslated();

private:
    std::unique_ptr<TestEnv> m_env;
};

namespace {

// Off-centre by more than this, a row shows as lopsided.
constexpr qreal Tolerance = 2;

QString tr(const char *context, const char *key)
{
    return QCoreApplication::translate(context, key);
}

// A dialog shown over `window`; returns the dialog and the name of its panel.
using Build = std::function<std::pair<QWidget *, QString>(QWidget *window)>;

std::pair<QWidget *, QString> question(QWidget *window, const QString &message, const char *cancel, const char *confirm)
{
    auto *dialog = new WarningDialogwithDoublebutton(message, window);
    if (cancel) {
        dialog->setCancelText(tr("MainWindow", cancel));
        dialog->setConfirmText(tr("MainWindow", confirm));
    }
    return {dialog, QStringLiteral("dialog_bg_verticalWidget")};
}

std::pair<QWidget *, QString> setting(QWidget *window, const QString &message, bool cancel, bool waiting)
{
    auto *dialog = new SettingCommonDialog(window, Qt::Dialog | Qt::FramelessWindowHint, message);
    dialog->setCallbacks(cancel ? std::function<void()>([] {}) : std::function<void()>(), [] {});
    if (waiting) {
        dialog->setButtonTexts(tr("QObject", "Cancel"), tr("QObject", "Loading"));
        dialog->disableButtons();
    }
    return {dialog, QStringLiteral("settingdialog_bg")};
}

std::pair<QWidget *, QString> clearing(QWidget *window, bool gameRunning)
{
    DeleteGameResourceDialog::Request request;
    request.busy = true; // refused at once: nothing is deleted
    request.gameRunning = gameRunning;
    return {new DeleteGameResourceDialog(request, window, Qt::Dialog | Qt::FramelessWindowHint),
        QStringLiteral("dialog_bg_verticalWidget")};
}

std::pair<QWidget *, QString> page(QWidget *window, const char *url, const std::function<void(QmlHostDialog *)> &fill)
{
    auto *host = new QmlHostDialog(window);
    fill(host);
    if (!host->load(QUrl(QLatin1String(url))))
        qFatal("%s does not load", url);
    return {host, QString()};
}

const std::map<QString, Build> &dialogs()
{
    static const std::map<QString, Build> all = {
        {"notice",
            [](QWidget *w) {
                return std::make_pair<QWidget *, QString>(
                    new WarningDialogWithSingleButton(tr("MainWindow", "FileSpaceLimit"), w),
                    QStringLiteral("dialog_bg"));
            }},
        {"long notice",
            [](QWidget *w) {
                return std::make_pair<QWidget *, QString>(
                    new WarningDialogWithSingleButton(
                        tr("MainWindow", "ExeSomeError(%1-%2)。").arg(QStringLiteral("3"), QStringLiteral("99")), w),
                    QStringLiteral("dialog_bg"));
            }},
        {"crash notice",
            [](QWidget *w) {
                return std::make_pair<QWidget *, QString>(
                    CrashNotice::open(w, CrashNotice::text(QStringLiteral("b"), QStringLiteral("5a0c13f8"))),
                    QStringLiteral("dialog_bg"));
            }},
        {"reset notice",
            [](QWidget *w) {
                return std::make_pair<QWidget *, QString>(
                    new WarningDialogWithSingleButton(tr("LogoReset", "resetRefusedBusy"), w),
                    QStringLiteral("dialog_bg"));
            }},
        {"quit question",
            [](QWidget *w) {
                return question(w, tr("MainWindow", "ExitOnDownloading"), "Cancel", "Confirm");
            }},
        {"install quit question",
            [](QWidget *w) {
                return question(w, tr("MainWindow", "ExitOnInstalling"), nullptr, nullptr);
            }},
        {"space question",
            [](QWidget *w) {
                return question(w, tr("MainWindow", "FileSpaceLimit"), "ExitApp", "Retry");
            }},
        {"reset question",
            [](QWidget *w) {
                return question(w, tr("LogoReset", "resetLauncherData"), nullptr, nullptr);
            }},
        {"clear question",
            [](QWidget *w) {
                return question(w, tr("MainWindow", "clearAllDownloadResource"), nullptr, nullptr);
            }},
        {"version tip",
            [](QWidget *w) {
                return setting(w,
                    tr("SettingsModel", "Current version:%1").arg(QStringLiteral("2.8.0")) + QStringLiteral("\n\n")
                        + tr("SettingsModel", "You have updated to the latest Version."),
                    false, false);
            }},
        {"language question",
            [](QWidget *w) {
                return setting(w, tr("SettingsModel", "restartOnModifyingLanguage"), true, false);
            }},
        {"update waiting",
            [](QWidget *w) {
                return setting(
                    w, tr("QObject", "New Version found, update now?").arg(QStringLiteral("1.4.0")), true, true);
            }},
        {"clearing refused",
            [](QWidget *w) {
                return clearing(w, false);
            }},
        {"clearing, game running",
            [](QWidget *w) {
                return clearing(w, true);
            }},
        {"close question",
            [](QWidget *w) {
                return page(w, "qrc:/Dialog/qml/CloseAppDialog.qml", [](QmlHostDialog *host) {
                    auto *model = new CloseAppModel(host);
                    host->setContextProperty(QStringLiteral("closeAppModel"), model);
                });
            }},
        {"notice page",
            [](QWidget *w) {
                auto shown = page(w, "qrc:/Dialog/qml/KVNoticePage.qml", [](QmlHostDialog *) {});
                static_cast<QmlHostDialog *>(shown.first)
                    ->view()
                    ->rootObject()
                    ->setProperty("message", tr("MainWindow", "ExeError"));
                return shown;
            }},
        {"launcher update",
            [](QWidget *w) {
                return page(w, "qrc:/Dialog/qml/UpdateDialog.qml", [](QmlHostDialog *host) {
                    auto *model = new UpdateDialog(host);
                    model->setLatestVersion(QStringLiteral("2.10.0"));
                    model->setUpdateMessage(QStringLiteral("· Faster start"));
                    host->setContextProperty(QStringLiteral("updateDialog"), model);
                });
            }},
    };
    return all;
}

// Texts cut by their label, and button texts cut by their button.
QStringList clippedTexts(QWidget *dialog)
{
    QStringList faults;
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        if (!label->isVisible() || label->text().isEmpty())
            continue;
        label->ensurePolished();
        const QRect box = label->contentsRect();
        const int flags = label->wordWrap() ? int(Qt::TextWordWrap) : 0;
        const QRect needed = QFontMetrics(label->font())
                                 .boundingRect(QRect(0, 0, label->wordWrap() ? box.width() : 100000, 100000),
                                     flags | int(label->alignment()), label->text());
        if (needed.width() > box.width() || needed.height() > box.height())
            faults << QStringLiteral("label %1 needs %2 x %3 in %4 x %5")
                          .arg(label->text().left(30))
                          .arg(needed.width())
                          .arg(needed.height())
                          .arg(box.width())
                          .arg(box.height());
    }
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (!button->isVisible() || button->text().isEmpty())
            continue;
        button->ensurePolished();
        if (QFontMetrics(button->font()).horizontalAdvance(button->text()) > button->width() - 16)
            faults << QStringLiteral("button %1 is too narrow").arg(button->text());
    }
    return faults;
}

// The rows of buttons (not the close button) as spans across the panel.
QStringList offCentreRows(QWidget *dialog, QWidget *panel)
{
    QMap<int, QRect> rows; // by vertical centre
    for (QPushButton *button : panel->findChildren<QPushButton *>()) {
        if (!button->isVisible() || button->objectName().contains(QLatin1String("close")))
            continue;
        const QRect inPanel(button->mapTo(panel, QPoint()), button->size());
        rows[inPanel.center().y()] |= inPanel;
    }
    QStringList faults;
    if (rows.isEmpty())
        faults << QStringLiteral("no buttons");
    for (const QRect &row : rows) {
        const qreal off = (row.left() + row.right() + 1) / 2.0 - panel->width() / 2.0;
        if (qAbs(off) > Tolerance)
            faults << QStringLiteral("row at y %1 is %2 px off centre").arg(row.top()).arg(off);
    }
    Q_UNUSED(dialog)
    return faults;
}

// The same for a QML page: its texts fit their boxes, its button rows are centred.
QStringList pageFaults(QQuickItem *root)
{
    QStringList faults;
    QMap<int, QRectF> rows;
    for (QQuickItem *item : root->findChildren<QQuickItem *>()) {
        if (!item->isVisible())
            continue;
        const QString type = QString::fromLatin1(item->metaObject()->className());
        const QRectF inRoot = item->mapRectToItem(root, QRectF(0, 0, item->width(), item->height()));
        if (type.startsWith(QLatin1String("KVDialogButton_QMLTYPE")))
            rows[qRound(inRoot.center().y())] |= inRoot;
        if (!item->inherits("QQuickText") || item->property("text").toString().isEmpty())
            continue;
        // A button's label keeps clear of the button's painted edges.
        const bool onButton = item->parentItem()
            && QString::fromLatin1(item->parentItem()->metaObject()->className())
                   .startsWith(QLatin1String("KVDialogButton_QMLTYPE"));
        if (onButton && item->property("paintedWidth").toReal() > item->parentItem()->width() - 16)
            faults << QStringLiteral("button %1 is too narrow").arg(item->property("text").toString());
        const qreal paintedWidth = item->property("paintedWidth").toReal();
        const qreal paintedHeight = item->property("paintedHeight").toReal();
        if (item->property("truncated").toBool() || paintedWidth > item->width() + 1
            || paintedHeight > item->height() + 1 || inRoot.left() < 0 || inRoot.left() + paintedWidth > root->width())
            faults << QStringLiteral("text %1 is cut").arg(item->property("text").toString().left(30));
    }
    if (rows.isEmpty())
        faults << QStringLiteral("no buttons");
    for (const QRectF &row : rows) {
        const qreal off = row.center().x() - root->width() / 2;
        if (qAbs(off) > Tolerance)
            faults << QStringLiteral("row at y %1 is %2 px off centre").arg(row.top()).arg(off);
    }
    return faults;
}

} // namespace

void DialogsGeometryTest::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    quillmereInitUiResources();
}

void DialogsGeometryTest::dialogIsLaidOut_data()
{
    QTest::addColumn<QString>("catalogue");
    QTest::addColumn<QString>("dialog");
    for (const char *catalogue : {"app_zh", "app_en", "app_jp", "app_ko", "app_zh_tc"}) {
        for (const auto &entry : dialogs())
            QTest::addRow("%s, %s", catalogue, qPrintable(entry.first))
                << QString::fromLatin1(catalogue) << entry.first;
    }
}

void DialogsGeometryTest::dialogIsLaidOut()
{
    QFETCH(QString, catalogue);
    QFETCH(QString, dialog);
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/i18n/") + catalogue));
    QCoreApplication::installTranslator(&translator);
    QmlCommonConfigs::instance()->setFontFamily(tr("QmlCommonConfigs", "fontFamily"));
    qApp->setStyleSheet(launcherStyleSheet(QmlCommonConfigs::instance()->fontFamily()));
    QApplication::setFont(QFont(QmlCommonConfigs::instance()->fontFamily()));

    QWidget window;
    window.setFixedSize(1280, 720);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto [shown, panelName] = dialogs().at(dialog)(&window);
    std::unique_ptr<QWidget> owned(shown);
    shown->show();
    QTRY_VERIFY(shown->isVisible());

    QStringList faults;
    if (auto *host = qobject_cast<QmlHostDialog *>(shown)) {
        QTRY_VERIFY(host->view()->rootObject() && host->view()->rootObject()->width() > 0);
        faults = pageFaults(host->view()->rootObject());
    } else {
        auto *panel = shown->findChild<QWidget *>(panelName);
        QVERIFY(panel);
        faults = clippedTexts(shown) + offCentreRows(shown, panel);
    }
    QCoreApplication::removeTranslator(&translator);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
}

void DialogsGeometryTest::crashNoticeIsTranslated_data()
{
    QTest::addColumn<QString>("catalogue");
    QTest::addColumn<QString>("sentenceEnd"); // what ends the first sentence
    QTest::newRow("zh") << "app_zh" << QStringLiteral("\u3002");
    QTest::newRow("en") << "app_en" << QStringLiteral(". ");
    QTest::newRow("ja") << "app_jp" << QStringLiteral("\u3002");
    QTest::newRow("ko") << "app_ko" << QStringLiteral(".");
    QTest::newRow("zh_TC") << "app_zh_tc" << QStringLiteral("\u3002");
}

void DialogsGeometryTest::crashNoticeIsTranslated()
{
    QFETCH(QString, catalogue);
    QFETCH(QString, sentenceEnd);
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/i18n/") + catalogue));
    QCoreApplication::installTranslator(&translator);
    const QString text = CrashNotice::text(QStringLiteral("b"), QStringLiteral("5a0c13f8"));
    QCoreApplication::removeTranslator(&translator);
    // The code and the address stay, apart from the words around them.
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("\\bb\\b"))), qPrintable(text));
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("\\b5a0c13f8$"))), qPrintable(text));
    QVERIFY2(text.contains(sentenceEnd) && !text.contains(QStringLiteral(".E")), qPrintable(text));
}

QTEST_MAIN(DialogsGeometryTest)
#include "tst_dialogsgeometry.moc"
