#include "app/launcherconfig.h"
#include "install/gamefiles.h"
#include "install/installmover.h"
#include "settings/settingcommondialog.h"
#include "settings/settingqtdialog.h"
#include "settings/settingsmodel.h"
#include "support/testenv.h"
#include "widgets/uiresources.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QWindow>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// The settings' folder picker and the move question on a real X server: each
// is mapped, exposed and the window that takes the keyboard, over the
// frameless settings dialog that covers the window.
class TestSettingsScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quillmereInitUiResources(); }
    void moveFromTheSettingsDialog();
};

namespace {

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

bool onTop(QWidget *dialog)
{
    return dialog && dialog->isVisible() && dialog->windowHandle() && dialog->windowHandle()->isExposed()
        && QApplication::activeModalWidget() == dialog && QApplication::activeWindow() == dialog;
}

} // namespace

void TestSettingsScreen::moveFromTheSettingsDialog()
{
    TestEnv env;
    const QString from = env.filePath(QStringLiteral("Quillmereen"));
    const QString to = env.filePath(QStringLiteral("empty"));
    writeFile(from + QStringLiteral("/quillmere"), "game");
    writeFile(from + QStringLiteral("/data/level1.pak"), QByteArray(300000, 'a'));
    QVERIFY(QDir().mkpath(to));
    GameFiles::instance()->setInstallDir(from);
    GameFiles::instance()->setStatus(InstallStatus::Installed);

    QWidget window;
    window.resize(1000, 640);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    SettingsModel model;
    model.setMainWindow(&window);
    model.actions().moveCollaborators = &InstallMover::forRecordedGame;
    auto *settings = new SettingQtDialog(&window, &model);
    settings->showSettings(false);
    QTRY_VERIFY(onTop(settings));

    model.changeInstallationLocation();
    QFileDialog *folders = nullptr;
    QTRY_VERIFY((folders = settings->findChild<QFileDialog *>()) && onTop(folders));
    emit folders->fileSelected(to);
    folders->close();

    SettingCommonDialog *question = nullptr;
    QTRY_VERIFY((question = settings->findChild<SettingCommonDialog *>()) && onTop(question));
    QCOMPARE(question->message(), InstallMover::question(to));
    QPointer<SettingCommonDialog> asked(question);
    question->findChild<QPushButton *>(QStringLiteral("pushButton_confrim"))->click();
    QTRY_VERIFY(!asked);
    SettingCommonDialog *tip = nullptr;
    QTRY_VERIFY((tip = settings->findChild<SettingCommonDialog *>()) && onTop(tip));
    QCOMPARE(tip->message(), InstallMover::tr("The game was moved to %1.").arg(to));
    QVERIFY(QFileInfo::exists(to + QStringLiteral("/data/level1.pak")));
    QVERIFY(!QFileInfo::exists(from));
    QCOMPARE(GameFiles::instance()->installDir(), to);
    delete tip;
    delete settings;
}

namespace {

// A private X server: it picks a free display and names it on the pipe it is
// given once it accepts clients.
pid_t startScreen(QByteArray *display)
{
    int names[2];
    if (::pipe(names) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(names[0]);
        const QByteArray fd = QByteArray::number(names[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", "1280x720x24", "-nolisten", "tcp",
            static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(names[1]);
    // The number comes with a newline; the pipe stays open until then.
    QByteArray said;
    char chunk[16];
    ssize_t n = 0;
    while (pid > 0 && !said.contains('\n') && (n = ::read(names[0], chunk, sizeof chunk)) > 0)
        said.append(chunk, int(n));
    ::close(names[0]);
    if (!said.contains('\n'))
        return -1;
    *display = ':' + said.trimmed();
    return pid;
}

} // namespace

int main(int argc, char **argv)
{
    QByteArray display;
    const pid_t screen = startScreen(&display);
    if (screen <= 0) {
        qWarning("Xvfb did not start (scripts/bootstrap installs it)");
        return 1;
    }
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    int status = 1;
    {
        QApplication app(argc, argv);
        TestSettingsScreen test;
        status = QTest::qExec(&test, argc, argv);
    }
    ::kill(screen, SIGTERM);
    ::waitpid(screen, nullptr, 0);
    return status;
}

#include "tst_settingsscreen.moc"
