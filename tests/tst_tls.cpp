#include "api/requestclasses.h"
#include "support/publisherprocess.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QtTest>

// The publisher's services are HTTPS: the launcher's transport talks to the
// stand-in over TLS when it trusts the certificate, and refuses it otherwise.
class TestTls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void trustedCertificate();
    void untrustedCertificateIsRefused();

private:
    QString httpsUrl(const QString &path) const
    {
        return QStringLiteral("https://127.0.0.1:%1%2").arg(m_publisher->port()).arg(path);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<PublisherProcess> m_publisher;
    QSslConfiguration m_originalDefault;
};

void TestTls::initTestCase()
{
    // The launcher's services are https: without a TLS backend it reaches none of them.
    QVERIFY2(QSslSocket::supportsSsl(), "Qt finds no TLS backend (libssl)");
    const QString cert = m_dir.filePath(QStringLiteral("cert.pem"));
    const QString key = m_dir.filePath(QStringLiteral("key.pem"));
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
        {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "2", "-subj",
            "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
    QVERIFY2(openssl.waitForFinished(60000) && openssl.exitCode() == 0, openssl.readAllStandardError().constData());

    const QString content = m_dir.filePath(QStringLiteral("content"));
    QVERIFY(QDir().mkpath(content + QStringLiteral("/files")));
    QFile file(content + QStringLiteral("/files/hello.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("hello over tls");
    file.close();
    QFile services(content + QStringLiteral("/services.json"));
    QVERIFY(services.open(QIODevice::WriteOnly));
    services.write(R"({"launcher":{"latestVersion":"3.0.0"}})");
    services.close();

    m_publisher.reset(new PublisherProcess(content, {QStringLiteral("--cert"), cert, QStringLiteral("--key"), key}));
    QVERIFY2(m_publisher->isRunning(), qPrintable(m_publisher->errorString()));

    m_originalDefault = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = m_originalDefault;
    const QList<QSslCertificate> ours = QSslCertificate::fromPath(cert);
    QCOMPARE(ours.size(), 1);
    trusting.addCaCertificate(ours.first());
    QSslConfiguration::setDefaultConfiguration(trusting);
}

void TestTls::cleanupTestCase()
{
    QSslConfiguration::setDefaultConfiguration(m_originalDefault);
}

void TestTls::trustedCertificate()
{
    // A file from the host.
    QNetworkAccessManager network;
    QNetworkReply *reply = network.get(QNetworkRequest(QUrl(httpsUrl(QStringLiteral("/files/hello.txt")))));
    QSignalSpy done(reply, &QNetworkReply::finished);
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QCOMPARE(reply->readAll(), QByteArray("hello over tls"));
    reply->deleteLater();

    // A scrambled service call through the launcher's own transport.
    AppVersionRequest request(&network);
    QSignalSpy finished(&request, &AppVersionRequest::signalReplyfinsh);
    request.postRequest(
        0, QJsonObject {{"version", "2.8.0"}}, httpsUrl(QStringLiteral("/pc/launcher/version")), false, true);
    QTRY_COMPARE(finished.count(), 1);
    const ApiResult result = finished.at(0).at(0).value<ApiResult>();
    QCOMPARE(result.code, 200);
    QVERIFY(result.data.contains(QLatin1String("3.0.0")));
}

void TestTls::untrustedCertificateIsRefused()
{
    QSslConfiguration::setDefaultConfiguration(m_originalDefault);
    QNetworkAccessManager network;
    AppVersionRequest request(&network);
    QSignalSpy finished(&request, &AppVersionRequest::signalReplyfinsh);
    QSignalSpy failed(&request, &AppVersionRequest::signalReplyError);
    request.postRequest(
        0, QJsonObject {{"version", "2.8.0"}}, httpsUrl(QStringLiteral("/pc/launcher/version")), false, true);
    QTRY_COMPARE(finished.count() + failed.count(), 1);
    if (finished.count() == 1)
        QCOMPARE(finished.at(0).at(0).value<ApiResult>().code, -1);
}

QTEST_GUILESS_MAIN(TestTls)
#include "tst_tls.moc"
