// A small stand-in for the game: a window that shows which version is installed
// and stays open until it is closed, so that the launcher's watch can be seen.
// The version is the first line of "quillmere_version.ini" beside the executable
// (what the launcher reads when an install folder is picked), or of the older
// "version.txt"; one build serves every demo release.

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

namespace {

QString firstLine(const QString &name)
{
    QFile file(QCoreApplication::applicationDirPath() + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readLine(256)).trimmed();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QString version = firstLine(QStringLiteral("quillmere_version.ini"));
    if (version.isEmpty())
        version = firstLine(QStringLiteral("version.txt"));
    if (version.isEmpty())
        version = QStringLiteral("unknown");

    QWidget window;
    window.setWindowTitle(QStringLiteral("Quillmere %1").arg(version));
    auto *layout = new QVBoxLayout(&window);
    auto *title = new QLabel(QStringLiteral("<h1>Quillmere</h1><p>Version %1</p>").arg(version.toHtmlEscaped()));
    title->setAlignment(Qt::AlignCenter);
    title->setObjectName(QStringLiteral("versionLabel"));
    auto *close = new QPushButton(QStringLiteral("Close"));
    QObject::connect(close, &QPushButton::clicked, &window, &QWidget::close);
    layout->addWidget(title);
    layout->addWidget(close);
    window.resize(480, 270);
    window.show();
    // Prints where a watching test or script can see it; the window stays
    // until the player closes it.
    std::printf("Quillmere %s is running\n", qPrintable(version));
    std::fflush(stdout);
    return QApplication::exec();
}
