#include "sourceaddress.h"

#include <QTest>

using Headers = QList<std::pair<QByteArray, QByteArray>>;

class TestSourceAddress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formsUrls_data();
    void formsUrls();
    void formsRequests_data();
    void formsRequests();
    void findsPlaceholders();
};

void TestSourceAddress::formsUrls_data()
{
    QTest::addColumn<QString>("urlTemplate");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("url");  // empty: no address

    const QString batch = "https://api.example.com/v7/quote?symbols={SYMBOL}&apikey={KEY}";
    QTest::newRow("symbol and key") << batch << "VTI" << "k3y" << QByteArray("https://api.example.com/v7/quote?symbols=VTI&apikey=k3y");
    QTest::newRow("lower case") << "https://q.example.com/{symbol}.us/json" << "BRK.B" << ""
                                << QByteArray("https://q.example.com/brk.b.us/json");
    QTest::newRow("symbol cannot add query items") << batch << "VTI&apikey=x" << "k"
                                                   << QByteArray("https://api.example.com/v7/quote?symbols=VTI%26apikey%3Dx&apikey=k");
    QTest::newRow("symbol cannot change the path") << "https://q.example.com/quote/{SYMBOL}/" << "../admin?x#y" << ""
                                                   << QByteArray("https://q.example.com/quote/..%2Fadmin%3Fx%23y/");
    QTest::newRow("key encoded") << batch << "VTI" << "a b/+" << QByteArray("https://api.example.com/v7/quote?symbols=VTI&apikey=a%20b%2F%2B");
    QTest::newRow("non-ASCII symbol") << batch << "Ä" << "k" << QByteArray("https://api.example.com/v7/quote?symbols=%C3%84&apikey=k");
    QTest::newRow("non-ASCII template text") << "https://q.example.com/kurs/{SYMBOL}?börse=xetra" << "SAP" << ""
                                             << QByteArray("https://q.example.com/kurs/SAP?b%C3%B6rse=xetra");
    QTest::newRow("dot symbol") << batch << "." << "k" << QByteArray();
    QTest::newRow("dot-dot symbol") << batch << ".." << "k" << QByteArray();
    QTest::newRow("not https") << "http://q.example.com/{SYMBOL}" << "VTI" << "" << QByteArray();
    QTest::newRow("no host") << "https:///q/{SYMBOL}" << "VTI" << "" << QByteArray();
    QTest::newRow("symbol as host, encoded slash") << "https://{SYMBOL}/q" << "evil.example/x" << "" << QByteArray();
    QTest::newRow("space in the template") << "https://q.example.com/a b/{SYMBOL}" << "VTI" << "" << QByteArray();
}

void TestSourceAddress::formsUrls()
{
    QFETCH(QString, urlTemplate);
    QFETCH(QString, symbol);
    QFETCH(QString, key);
    QFETCH(QByteArray, url);

    const QUrl formed = sourceUrl(urlTemplate, symbol, key);
    QCOMPARE(formed.isValid(), !url.isEmpty());
    QCOMPARE(formed.toEncoded(), url);
}

void TestSourceAddress::formsRequests_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("key");
    QTest::addColumn<SourceAddressProblem>("problem");
    QTest::addColumn<Headers>("headers");

    using P = SourceAddressProblem;
    QTest::newRow("key in a header") << "VTI" << "s3cret" << P::None
                                     << Headers{{"Accept", "application/json"}, {"Authorization", "Bearer s3cret"}};
    QTest::newRow("no key") << "VTI" << "" << P::KeyMissing << Headers{};
    QTest::newRow("line break in the key") << "VTI" << "k\r\nX-Evil: 1" << P::KeyNotAllowed << Headers{};
    QTest::newRow("dot-dot symbol") << ".." << "k" << P::PathStep << Headers{};
}

void TestSourceAddress::formsRequests()
{
    QFETCH(QString, symbol);
    QFETCH(QString, key);
    QFETCH(SourceAddressProblem, problem);
    QFETCH(Headers, headers);

    QuoteSource source;
    source.url = "https://api.example.com/v1/price/{SYMBOL}";
    source.headers = {{"Accept", "application/json"}, {"Authorization", "Bearer {KEY}"}};
    const SourceAddress address = sourceAddress(source, symbol, key);
    QCOMPARE(address.problem, problem);
    QCOMPARE(address.headers, headers);
    QCOMPARE(address.url.isValid(), problem == SourceAddressProblem::None);
    QCOMPARE(sourceAddressProblemText(problem).isEmpty(), problem == SourceAddressProblem::None);
}

void TestSourceAddress::findsPlaceholders()
{
    const UrlTemplateUse all = urlTemplateUse(u"https://a.example/{symbol}?k={KEY}&x={Symbol}");
    QVERIFY(all.symbol && all.key && all.unknown);
    const UrlTemplateUse none = urlTemplateUse(u"https://a.example/{SYMBOL");
    QVERIFY(!none.symbol && !none.key && !none.unknown);
}

QTEST_GUILESS_MAIN(TestSourceAddress)
#include "tst_sourceaddress.moc"
