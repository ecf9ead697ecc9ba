#include "widgets/uiresources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

// Every text the code and the QML pages ask to translate (tr(), qsTr(),
// QCoreApplication::translate(), as lupdate finds them) must be translated,
// and finished, in all five catalogues; the four Asian catalogues may not
// keep the English text; and the catalogues compiled into the resources give
// the same texts as their sources.
class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void catalogueIsComplete_data();
    void catalogueIsComplete();

private:
    struct Message
    {
        QString translation;
        bool finished = false;
    };
    // "context\nsource" -> message
    using Catalogue = QHash<QString, Message>;

    static Catalogue read(const QString &path);

    Catalogue m_used;
    Catalogue m_english;
};

namespace {

const QString SourceDir = QStringLiteral(QUILLMERE_SOURCE_DIR);

QString keyOf(const QString &context, const QString &source)
{
    return context + QLatin1Char('\n') + source;
}

QString shown(const QString &key)
{
    return QString(key).replace(QLatin1Char('\n'), QStringLiteral(" / "));
}

} // namespace

TranslationsTest::Catalogue TranslationsTest::read(const QString &path)
{
    Catalogue catalogue;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QXmlStreamReader xml(&file);
    QString context, source;
    Message message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("name")) {
                context = xml.readElementText();
            } else if (xml.name() == QLatin1String("source")) {
                source = xml.readElementText();
            } else if (xml.name() == QLatin1String("translation")) {
                const QString type = xml.attributes().value(QLatin1String("type")).toString();
                message.translation = xml.readElementText();
                message.finished = type.isEmpty() && !message.translation.isEmpty();
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            catalogue.insert(keyOf(context, source), message);
            message = Message();
        }
    }
    if (xml.hasError())
        qFatal("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
    return catalogue;
}

void TranslationsTest::initTestCase()
{
    quillmereInitUiResources();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString found = dir.filePath(QStringLiteral("used.ts"));
    QStringList arguments = {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none")};
    for (const char *folder : {"/src", "/resources/qml", "/updater"}) {
        if (QFileInfo::exists(SourceDir + QLatin1String(folder)))
            arguments << SourceDir + QLatin1String(folder);
    }
    arguments << QStringLiteral("-ts") << found;
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    lupdate.start(QStringLiteral(QUILLMERE_LUPDATE), arguments);
    QVERIFY2(lupdate.waitForFinished(120000), "lupdate did not finish");
    QCOMPARE(lupdate.exitCode(), 0);
    m_used = read(found);
    // The sources certainly translate this; an empty list means lupdate saw nothing.
    QVERIFY(m_used.contains(keyOf(QStringLiteral("GameInstallPlugin"), QStringLiteral("CannotgetVersionInfo"))));
    m_english = read(SourceDir + QStringLiteral("/resources/i18n/app_en.ts"));
}

void TranslationsTest::catalogueIsComplete_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"app_zh", "app_en", "app_jp", "app_ko", "app_zh_tc"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TranslationsTest::catalogueIsComplete()
{
    QFETCH(QString, name);
    const Catalogue catalogue = read(SourceDir + QStringLiteral("/resources/i18n/") + name + QStringLiteral(".ts"));
    QStringList faults;

    for (auto it = m_used.cbegin(); it != m_used.cend(); ++it) {
        const auto entry = catalogue.constFind(it.key());
        if (entry == catalogue.cend()) {
            // Point at the same key in another context, the usual slip.
            const QString source = it.key().section(QLatin1Char('\n'), 1);
            QStringList elsewhere;
            for (auto other = catalogue.cbegin(); other != catalogue.cend(); ++other) {
                if (other.key().section(QLatin1Char('\n'), 1) == source)
                    elsewhere << other.key().section(QLatin1Char('\n'), 0, 0);
            }
            faults << QStringLiteral("missing: %1%2")
                          .arg(shown(it.key()),
                              elsewhere.isEmpty() ? QString()
                                                  : QStringLiteral(" (present in %1)").arg(elsewhere.join(", ")));
        } else if (!entry->finished) {
            faults << QStringLiteral("unfinished: %1").arg(shown(it.key()));
        }
    }

    // No English left in the Asian catalogues: a translation with Latin
    // letters must not be the English one.
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    if (name != QLatin1String("app_en")) {
        for (auto it = catalogue.cbegin(); it != catalogue.cend(); ++it) {
            const auto english = m_english.constFind(it.key());
            if (english != m_english.cend() && it->translation.contains(latin)
                && it->translation == english->translation)
                faults << QStringLiteral("still English: %1").arg(shown(it.key()));
        }
    }

    // The compiled catalogue in the resources says the same as its source.
    QTranslator compiled;
    QVERIFY2(compiled.load(QStringLiteral(":/i18n/") + name), qPrintable(name));
    for (auto it = catalogue.cbegin(); it != catalogue.cend(); ++it) {
        const QString context = it.key().section(QLatin1Char('\n'), 0, 0);
        const QString source = it.key().section(QLatin1Char('\n'), 1);
        if (compiled.translate(qPrintable(context), qPrintable(source)) != it->translation)
            faults << QStringLiteral("not compiled: %1").arg(shown(it.key()));
    }

    QVERIFY2(faults.isEmpty(), qPrintable(name + QStringLiteral(":\n  ") + faults.join(QStringLiteral("\n  "))));
}

QTEST_GUILESS_MAIN(TranslationsTest)
#include "tst_translations.moc"
