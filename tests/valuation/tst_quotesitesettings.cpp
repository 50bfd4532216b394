#include "blockingquote.h"
#include "loopbackquoteserver.h"
#include "networkquotesource.h"
#include "quotesitesettings.h"
#include "testcertificates.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestQuoteSiteSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void takesHostFromEnvironment();
    void fallsBackToBuildHost();
    void trustsCertificatesFromEnvironment_data();
    void trustsCertificatesFromEnvironment();

private:
    static void clearEnvironment();
};

void TestQuoteSiteSettings::clearEnvironment()
{
    qunsetenv("FUNDTALLY_QUOTE_HOST");
    qunsetenv("SSL_CERT_FILE");
    qunsetenv("SSL_CERT_DIR");
}

void TestQuoteSiteSettings::init()
{
    clearEnvironment();
}

void TestQuoteSiteSettings::cleanup()
{
    clearEnvironment();
}

void TestQuoteSiteSettings::takesHostFromEnvironment()
{
    qputenv("FUNDTALLY_QUOTE_HOST", "quotes.example:8443");
    const QuoteSiteSettings settings = QuoteSiteSettings::fromEnvironment();
    QCOMPARE(settings.host, QStringLiteral("quotes.example:8443"));
    QVERIFY(!settings.proxy.has_value());
    QCOMPARE(settings.transferTimeout, std::chrono::milliseconds(20000));
}

void TestQuoteSiteSettings::fallsBackToBuildHost()
{
    QCOMPARE(QuoteSiteSettings::fromEnvironment().host, QStringLiteral(FUNDTALLY_BUILD_QUOTE_HOST));
    qputenv("FUNDTALLY_QUOTE_HOST", "");
    QCOMPARE(QuoteSiteSettings::fromEnvironment().host, QStringLiteral(FUNDTALLY_BUILD_QUOTE_HOST));
}

void TestQuoteSiteSettings::trustsCertificatesFromEnvironment_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QString>("reason");

    QTest::newRow("SSL_CERT_FILE") << QByteArray("SSL_CERT_FILE") << QString();
    QTest::newRow("SSL_CERT_DIR") << QByteArray("SSL_CERT_DIR") << QString();
    QTest::newRow("neither") << QByteArray() << QStringLiteral("certificate not trusted");
}

// The loopback server's authority is trusted only when the environment names it.
void TestQuoteSiteSettings::trustsCertificatesFromEnvironment()
{
    QFETCH(QByteArray, variable);
    QFETCH(QString, reason);

    QTemporaryDir certificates;
    QTemporaryDir emptyDirectory;
    QVERIFY(certificates.isValid() && emptyDirectory.isValid());
    const QString caFile = certificates.filePath(QStringLiteral("test-ca.pem"));
    QFile file(caFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(TestCertificates::authority().toPem());
    file.close();

    if (variable == "SSL_CERT_FILE")
        qputenv(variable.constData(), QFile::encodeName(caFile));
    else if (variable == "SSL_CERT_DIR")
        qputenv(variable.constData(), QFile::encodeName(emptyDirectory.path() + QDir::listSeparator() + certificates.path()));

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    qputenv("FUNDTALLY_QUOTE_HOST", server.host().toUtf8());

    QuoteSiteSettings settings = QuoteSiteSettings::fromEnvironment();
    QCOMPARE(settings.host, server.host());
    settings.proxy = QNetworkProxy(QNetworkProxy::NoProxy);
    NetworkQuoteSource source(settings);

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("VTI"));
    QCOMPARE(result.reason, reason);
    QCOMPARE(result.priced, reason.isEmpty());
}

QTEST_GUILESS_MAIN(TestQuoteSiteSettings)
#include "tst_quotesitesettings.moc"
