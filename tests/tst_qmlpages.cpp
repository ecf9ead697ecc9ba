#include "settings/closeappmodel.h"
#include "settings/settingsmodel.h"
#include "support/testenv.h"
#include "update/updatedialog.h"
#include "widgets/qmlhostdialog.h"
#include "widgets/qmlmodules.h"
#include "widgets/uiresources.h"

#include <QDirIterator>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWidget>
#include <QtTest>

#include <memory>

// The QML side: the launcher's modules import, every page under
// :/settings/qml/ and :/Dialog/qml/ is lint-clean and builds in the host
// without a single QML warning.
class QmlPagesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void modulesImport_data();
    void modulesImport();
    void pageIsLintClean_data();
    void pageIsLintClean();
    void pageBuildsWithoutWarnings_data();
    void pageBuildsWithoutWarnings();

private:
    std::unique_ptr<TestEnv> m_env;
};

void QmlPagesTest::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    quillmereInitUiResources();
    registerQmlModules();
    CloseAppModel::registerQmlType();
    SettingsModel::registerQmlType();
}

void QmlPagesTest::modulesImport_data()
{
    QTest::addColumn<QByteArray>("qml");
    QTest::newRow("com.kv.settings") << QByteArray("import QtQuick 2.15\nimport com.kv.settings 1.0\nItem {}\n");
    QTest::newRow("com.kv.dialog") << QByteArray("import QtQuick 2.15\nimport com.kv.dialog 1.0\nItem {}\n");
    QTest::newRow("com.kv.common QmlCommonConfigs")
        << QByteArray("import QtQuick 2.15\nimport com.kv.common 1.0\nItem { property QmlCommonConfigs configs }\n");
}

void QmlPagesTest::modulesImport()
{
    QFETCH(QByteArray, qml);
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(qml, QUrl(QStringLiteral("qrc:/probe.qml")));
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));
}

void QmlPagesTest::pageIsLintClean_data()
{
    QTest::addColumn<QString>("path");
    QDirIterator pages(QStringLiteral(QUILLMERE_SOURCE_DIR "/resources/qml"), {QStringLiteral("*.qml")}, QDir::Files,
        QDirIterator::Subdirectories);
    while (pages.hasNext()) {
        const QString path = pages.next();
        QTest::newRow(qPrintable(path.section(QLatin1Char('/'), -2))) << path;
    }
}

void QmlPagesTest::pageIsLintClean()
{
    QFETCH(QString, path);
    QProcess lint;
    lint.setProcessChannelMode(QProcess::MergedChannels);
    lint.start(QStringLiteral(QUILLMERE_QMLLINT), {path});
    QVERIFY(lint.waitForFinished(60000));
    QVERIFY2(lint.exitCode() == 0, lint.readAll().constData());
}

void QmlPagesTest::pageBuildsWithoutWarnings_data()
{
    QTest::addColumn<QString>("page");
    for (const QString &folder : {QStringLiteral(":/settings/qml"), QStringLiteral(":/Dialog/qml")}) {
        QDirIterator pages(folder, {QStringLiteral("*.qml")}, QDir::Files);
        while (pages.hasNext()) {
            const QString page = pages.next();
            QTest::newRow(qPrintable(page)) << page;
        }
    }
}

void QmlPagesTest::pageBuildsWithoutWarnings()
{
    QFETCH(QString, page);

    CloseAppModel closeAppModel;
    QWidget window;
    window.resize(1280, 720);
    UpdateDialog updateDialog; // outlives the page that shows it
    QmlHostDialog host(&window);
    QStringList warnings;
    QQmlEngine *engine = host.view()->engine();
    engine->setOutputWarningsToStandardError(false);
    connect(engine, &QQmlEngine::warnings, this, [&warnings](const QList<QQmlError> &errors) {
        for (const QQmlError &error : errors)
            warnings << error.toString();
    });
    // Pages that need a model get it here, by file name, as their host does.
    if (page.endsWith(QLatin1String("/CloseAppDialog.qml")))
        host.setContextProperty(QStringLiteral("closeAppModel"), &closeAppModel);
    if (page.endsWith(QLatin1String("/UpdateDialog.qml"))) {
        // Taller than its area, so the scroll bar's bindings run too.
        updateDialog.setLatestVersion(QStringLiteral("2.10.0"));
        updateDialog.setUpdateMessage(QStringLiteral("New banners.\n").repeated(30));
        host.setContextProperty(QStringLiteral("updateDialog"), &updateDialog);
    }
    SettingsModel settingsModel;
    if (page.startsWith(QLatin1String(":/settings/")))
        host.setContextProperty(QStringLiteral("settingsModel"), &settingsModel);

    QVERIFY(host.load(QUrl(QStringLiteral("qrc") + page)));
    host.openOver(&window);
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    // Rendering a frame runs the bindings that only a visible page evaluates.
    QVERIFY(!host.view()->grabFramebuffer().isNull());
    QCOMPARE(host.view()->size(), host.view()->rootObject()->size().toSize());
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

QTEST_MAIN(QmlPagesTest)
#include "tst_qmlpages.moc"
