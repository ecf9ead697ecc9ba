#include "app/kvapplication.h"
#include "app/language.h"
#include "app/launcherconfig.h"
#include "mainwindow/mainwindow.h"
#include "widgets/uiresources.h"

#include <QApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QScreen>
#include <QTextCodec>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(LauncherConfig::applicationVersion());
    QElapsedTimer elapsed;
    elapsed.start();

    LauncherConfig *config = LauncherConfig::instance();
    const QString displayName = config->manifestValue(QStringLiteral("app_displayname"));

    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));

    const int languageIndex
        = Language::chooseIndex(config->readInt(QStringLiteral("Launcher"), QStringLiteral("language_index")),
            LauncherConfig::launcherType(), QLocale::system().uiLanguages());
    config->setLanguageIndex(languageIndex);

    quillmereInitUiResources();
    QTranslator translator;
    if (translator.load(Language::translationFile(languageIndex)))
        QCoreApplication::installTranslator(&translator);

    KVApplication *state = KVApplication::instance();
    KVApplication::createDataFolders();

    MainWindow *window = MainWindow::instance();
    window->setLanguageCode(Language::code(languageIndex));
    window->setWindowTitle(displayName);
    const QSize available = QGuiApplication::primaryScreen()->availableSize();
    window->move((available.width() - window->width()) / 2, (available.height() - window->height()) / 2);
    window->show();
    state->setMainWindow(window);

    qDebug() << "Time to open the application:" << elapsed.elapsed() << "milliseconds";
    qDebug() << "Application Version:" << LauncherConfig::applicationVersion();

    const int result = QApplication::exec();
    delete window;
    return result;
}
