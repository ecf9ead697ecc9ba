// A small stand-in for the game: a window that shows which version is installed.
// The version comes from "version.txt" beside the executable, so one build serves
// every demo release.

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QFile versionFile(QCoreApplication::applicationDirPath() + QStringLiteral("/version.txt"));
    QString version = QStringLiteral("unknown");
    if (versionFile.open(QIODevice::ReadOnly))
        version = QString::fromUtf8(versionFile.readAll()).trimmed();

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
    return QApplication::exec();
}
