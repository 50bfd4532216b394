#include "blockingquote.h"
#include "loopbackquoteserver.h"
#include "pagesource.h"
#include "memorykeystore.h"
#include "pricememory.h"
#include "pricingchain.h"
#include "sourcekeys.h"
#include "transferworker.h"
#include "transfersettings.h"
#include "testcertificates.h"
#include "trustedcertificates.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The chain of a program started in this environment with nothing saved.
static PricingChain chainFromEnvironment(QSettings &settings, SourceKeys &keys, PriceMemory &prices)
{
    TransferSettings direct;
    direct.proxy = TransferProxy{}; // straight to the loopback site
    return buildPricingChain(settings, QProcessEnvironment::systemEnvironment(), keys, prices,
                             std::make_shared<TransferWorker>(), direct);
}

class TestTrustedCertificates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void trustsCertificatesFromEnvironment_data();
    void trustsCertificatesFromEnvironment();
    void readsTrustOnFirstLookup();
    void skipsOverlongCertificateFiles_data();
    void skipsOverlongCertificateFiles();

private:
    static void clearEnvironment();
};

void TestTrustedCertificates::clearEnvironment()
{
    qunsetenv("FUNDTALLY_QUOTE_HOST");
    qunsetenv("SSL_CERT_FILE");
    qunsetenv("SSL_CERT_DIR");
}

void TestTrustedCertificates::init()
{
    clearEnvironment();
}

void TestTrustedCertificates::cleanup()
{
    clearEnvironment();
}

void TestTrustedCertificates::trustsCertificatesFromEnvironment_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QString>("reason");

    QTest::newRow("SSL_CERT_FILE") << QByteArray("SSL_CERT_FILE") << QString();
    QTest::newRow("SSL_CERT_DIR") << QByteArray("SSL_CERT_DIR") << QString();
    QTest::newRow("neither") << QByteArray() << QStringLiteral("certificate not trusted");
}

// The loopback server's authority is trusted only when the environment names it.
void TestTrustedCertificates::trustsCertificatesFromEnvironment()
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

    QTemporaryDir home;
    QSettings settings(home.filePath(QStringLiteral("Fundtally.conf")), QSettings::IniFormat);
    MemoryKeyStore store;
    SourceKeys keys(store);
    PriceMemory prices(settings, home.filePath(QStringLiteral("prices.json")));
    const PricingChain chain = chainFromEnvironment(settings, keys, prices);

    const QuoteResult result = fetchQuotePriceBlocking(*chain.service, QStringLiteral("VTI"));
    QCOMPARE(result.reason(), reason);
    QCOMPARE(result.priced(), reason.isEmpty());
}

// A certificate file written after the source was made, but before its
// first lookup, is trusted: trust is read when the first page is fetched.
void TestTrustedCertificates::readsTrustOnFirstLookup()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    TransferSettings settings = server.clientSettings();
    settings.trustedCertificateFiles = {folder.filePath(QStringLiteral("later.pem"))};
    PageSourceService source(server.host(), settings);

    QVERIFY(QFile::copy(server.authorityFile(), settings.trustedCertificateFiles.first()));
    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).price, 123.45);
}

void TestTrustedCertificates::skipsOverlongCertificateFiles_data()
{
    QTest::addColumn<qint64>("fileBytes");
    QTest::addColumn<QString>("reason");

    QTest::newRow("at the limit") << CertificateFile::kMaxFileBytes << QString();
    QTest::newRow("a byte over") << CertificateFile::kMaxFileBytes + 1 << QStringLiteral("certificate not trusted");
}

void TestTrustedCertificates::skipsOverlongCertificateFiles()
{
    QFETCH(qint64, fileBytes);
    QFETCH(QString, reason);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("padded.pem"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // Text around the certificate block is not part of it.
    const QByteArray pem = TestCertificates::authority().toPem();
    QByteArray text = "# the test authority\n" + pem;
    text += QByteArray(fileBytes - text.size() - 1, '#') + '\n';
    QCOMPARE(file.write(text), fileBytes);
    file.close();

    TransferSettings settings = server.clientSettings();
    settings.trustedCertificateFiles = {path};
    PageSourceService source(server.host(), settings);
    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).reason(), reason);
}

QTEST_GUILESS_MAIN(TestTrustedCertificates)
#include "tst_trustedcertificates.moc"
