#include "quotehost.h"

#include <QTest>

using namespace QuoteHost;

class TestQuoteHost : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checksHost_data();
    void checksHost();
};

namespace {

QString repeated(char c, qsizetype count)
{
    return QString(count, QLatin1Char(c));
}

// A name of exactly `length` characters, in labels of at most 63.
QString nameOfLength(qsizetype length)
{
    QString name;
    while (name.size() < length) {
        if (!name.isEmpty())
            name += u'.';
        name += repeated('a', std::min<qsizetype>(kMaxLabelLength, length - name.size()));
    }
    return name;
}

} // namespace

void TestQuoteHost::checksHost_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("problem"); // a part of the message; empty: valid

    QTest::newRow("name") << "quotes.example.com" << "";
    QTest::newRow("single label") << "localhost" << "";
    QTest::newRow("mixed case, hyphen, digits") << "Quotes-2.Example.COM" << "";
    QTest::newRow("final dot") << "quotes.example.com." << "";
    QTest::newRow("name and port") << "quotes.example.com:8443" << "";
    QTest::newRow("IPv4") << "127.0.0.1" << "";
    QTest::newRow("port 1") << "127.0.0.1:1" << "";
    QTest::newRow("port 65535") << "127.0.0.1:65535" << "";
    QTest::newRow("IPv6") << "[::1]" << "";
    QTest::newRow("IPv6 and port") << "[2001:db8::1]:8443" << "";
    QTest::newRow("IPv6 with IPv4 tail") << "[::ffff:192.0.2.1]" << "";
    QTest::newRow("IPv6 upper case") << "[2001:DB8::A]" << "";
    QTest::newRow("label of 63") << repeated('a', kMaxLabelLength) + ".example" << "";
    QTest::newRow("name of 253") << nameOfLength(kMaxNameLength) << "";
    QTest::newRow("name of 253 and final dot") << nameOfLength(kMaxNameLength) + "." << "";

    QTest::newRow("empty") << "" << "No host";
    QTest::newRow("port 0") << "127.0.0.1:0" << "out of range";
    QTest::newRow("port 65536") << "quotes.example.com:65536" << "out of range";
    QTest::newRow("port past int") << "quotes.example.com:99999999999999999999" << "out of range";
    QTest::newRow("port missing") << "quotes.example.com:" << "port is missing";
    QTest::newRow("port not a number") << "quotes.example.com:https" << "not a number";
    QTest::newRow("port signed") << "quotes.example.com:+443" << "not a number";
    QTest::newRow("IPv6 port 0") << "[::1]:0" << "out of range";
    QTest::newRow("label of 64") << repeated('a', kMaxLabelLength + 1) + ".example" << "longer than 63";
    QTest::newRow("name of 254") << nameOfLength(kMaxNameLength + 1) << "longer than 253";
    QTest::newRow("https scheme") << "https://quotes.example.com" << "without \"https://\"";
    QTest::newRow("http scheme") << "http://quotes.example.com" << "without \"http://\"";
    QTest::newRow("path") << "quotes.example.com/quote" << "path";
    QTest::newRow("query") << "quotes.example.com?p=VTI" << "query";
    QTest::newRow("fragment") << "quotes.example.com#top" << "fragment";
    QTest::newRow("user") << "me@quotes.example.com" << "user name";
    QTest::newRow("user and password") << "me:secret@quotes.example.com" << "user name";
    QTest::newRow("space inside") << "quotes example.com" << "spaces";
    QTest::newRow("space after") << "quotes.example.com " << "spaces";
    QTest::newRow("tab before") << "\tquotes.example.com" << "spaces";
    QTest::newRow("IPv6 without brackets") << "2001:db8::1" << "in brackets";
    QTest::newRow("IPv6 unclosed") << "[::1" << "closing";
    QTest::newRow("IPv6 then junk") << "[::1]8443" << "Only \":port\"";
    QTest::newRow("IPv4 in brackets") << "[127.0.0.1]" << "not an IPv6";
    QTest::newRow("IPv6 zone") << "[fe80::1%eth0]" << "zone";
    QTest::newRow("IPv6 too many groups") << "[1:2:3:4:5:6:7:8:9]" << "not an IPv6";
    QTest::newRow("IPv6 with a NUL") << QStringLiteral("[::1\u0000ff]") << "not an IPv6";
    QTest::newRow("IPv6 with wide digits") << QStringLiteral("[::\uff11]") << "not an IPv6";
    QTest::newRow("brackets inside a name") << "a[b]c" << "Only an IPv6";
    QTest::newRow("IPv4 part over 255") << "256.0.0.1" << "not an IPv4";
    QTest::newRow("IPv4 of three parts") << "10.0.1" << "not an IPv4";
    QTest::newRow("IPv4 leading zero") << "010.0.0.1" << "not an IPv4";
    QTest::newRow("number alone") << "8443" << "not an IPv4";
    QTest::newRow("empty label") << "quotes..example.com" << "empty part";
    QTest::newRow("leading dot") << ".example.com" << "empty part";
    QTest::newRow("name missing") << ":8443" << "missing before";
    QTest::newRow("leading hyphen") << "-quotes.example.com" << "hyphen";
    QTest::newRow("trailing hyphen") << "quotes-.example.com" << "hyphen";
    QTest::newRow("underscore") << "quotes_site.example.com" << "letters, digits and hyphens";
    QTest::newRow("international") << "b\u00fccher.example" << "ASCII form: xn--bcher-kva.example";
}

void TestQuoteHost::checksHost()
{
    QFETCH(QString, host);
    QFETCH(QString, problem);

    const QString found = QuoteHost::problem(host);
    if (problem.isEmpty())
        QCOMPARE(found, QString());
    else
        QVERIFY2(found.contains(problem), qPrintable(found));
}

QTEST_GUILESS_MAIN(TestQuoteHost)
#include "tst_quotehost.moc"
