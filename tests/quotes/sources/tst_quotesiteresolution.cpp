#include "quotesiteresolution.h"

#include <QProcessEnvironment>
#include <QTest>

Q_DECLARE_METATYPE(QuoteSiteOrigin)

// Which of the environment, the saved values and the build decides the
// quote site and its trust.
class TestQuoteSiteResolution : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resolvesInOrder_data();
    void resolvesInOrder();
};

void TestQuoteSiteResolution::resolvesInOrder_data()
{
    QTest::addColumn<QStringList>("environment"); // NAME=value
    QTest::addColumn<QString>("storedHost");
    QTest::addColumn<QString>("storedCertificate");
    QTest::addColumn<QString>("builtIn");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QuoteSiteOrigin>("hostOrigin");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("directories");
    QTest::addColumn<QuoteSiteOrigin>("trustOrigin");

    using O = QuoteSiteOrigin;
    const QStringList none;
    QTest::newRow("nothing") << none << "" << "" << "" << "" << O::None << none << none << O::None;
    QTest::newRow("built in") << none << "" << "" << "b.example" << "b.example" << O::BuiltIn << none
                              << none << O::None;
    QTest::newRow("saved over built in") << none << "s.example" << "" << "b.example" << "s.example"
                                         << O::Stored << none << none << O::None;
    QTest::newRow("environment over saved")
        << QStringList{"FUNDTALLY_QUOTE_HOST=e.example:8443"} << "s.example" << "" << "b.example"
        << "e.example:8443" << O::Environment << none << none << O::None;
    QTest::newRow("empty variable is not set")
        << QStringList{"FUNDTALLY_QUOTE_HOST="} << "s.example" << "" << "b.example" << "s.example"
        << O::Stored << none << none << O::None;
    QTest::newRow("saved certificate") << none << "s.example" << "/certs/site.pem" << "" << "s.example"
                                       << O::Stored << QStringList{"/certs/site.pem"} << none << O::Stored;
    QTest::newRow("SSL_CERT_FILE over saved certificate")
        << QStringList{"SSL_CERT_FILE=/env/ca.pem"} << "s.example" << "/certs/site.pem" << ""
        << "s.example" << O::Stored << QStringList{"/env/ca.pem"} << none << O::Environment;
    QTest::newRow("SSL_CERT_DIR over saved certificate")
        << QStringList{"SSL_CERT_DIR=/env/a::/env/b:"} << "" << "/certs/site.pem" << "b.example"
        << "b.example" << O::BuiltIn << none << QStringList{"/env/a", "/env/b"} << O::Environment;
    QTest::newRow("everything from the environment")
        << QStringList{"FUNDTALLY_QUOTE_HOST=[::1]:8443", "SSL_CERT_FILE=/env/ca.pem", "SSL_CERT_DIR=/env/d"}
        << "s.example" << "/certs/site.pem" << "b.example" << "[::1]:8443" << O::Environment
        << QStringList{"/env/ca.pem"} << QStringList{"/env/d"} << O::Environment;
}

void TestQuoteSiteResolution::resolvesInOrder()
{
    QFETCH(QStringList, environment);
    QFETCH(QString, storedHost);
    QFETCH(QString, storedCertificate);
    QFETCH(QString, builtIn);
    QFETCH(QString, host);
    QFETCH(QuoteSiteOrigin, hostOrigin);
    QFETCH(QStringList, files);
    QFETCH(QStringList, directories);
    QFETCH(QuoteSiteOrigin, trustOrigin);

    QProcessEnvironment variables;
    for (const QString &variable : environment)
        variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));

    const QuoteSiteResolution resolution =
        resolveQuoteSite(variables, StoredQuoteSite{storedHost, storedCertificate}, builtIn);
    QCOMPARE(resolution.host, host);
    QCOMPARE(resolution.hostOrigin, hostOrigin);
    QCOMPARE(resolution.settings.trustedCertificateFiles, files);
    QCOMPARE(resolution.settings.trustedCertificateDirectories, directories);
    QCOMPARE(resolution.trustOrigin, trustOrigin);
    QCOMPARE(resolution.environmentHost, variables.value(QStringLiteral("FUNDTALLY_QUOTE_HOST")));
}

QTEST_GUILESS_MAIN(TestQuoteSiteResolution)
#include "tst_quotesiteresolution.moc"
