#include "quotesourcestore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

QuoteSource jsonSource(const QString &name)
{
    QuoteSource source;
    source.name = name;
    source.url = QStringLiteral("https://api.example.com/v1/quote?s={SYMBOL}");
    source.format = SourceFormat::Json;
    source.price = QStringLiteral("/price");
    return source;
}

// Settings as a file holding `text`.
struct SettingsFile {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Fundtally.conf"));

    std::unique_ptr<QSettings> with(const QByteArray &text) const
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write the settings file");
        file.close();
        return QuoteSiteStore::open(path);
    }
};

QByteArray numberedSources(int count)
{
    QByteArray text = "[QuoteSources]\n";
    for (int i = 1; i <= count; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += n + "\\name=S" + n + "\n" + n + "\\url=https://s.example/{SYMBOL}\n" + n + "\\format=json\n" + n
            + "\\price=/p\n";
    }
    return text;
}

QStringList namesOf(const QList<QuoteSource> &sources)
{
    QStringList names;
    for (const QuoteSource &source : sources)
        names << source.name;
    return names;
}

} // namespace

class TestQuoteSourceStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keepsSourcesInOrder();
    void emptyListRemovesIt();
    void readsHostileSettings_data();
    void readsHostileSettings();
    void carriesOverQuoteSite_data();
    void carriesOverQuoteSite();
};

void TestQuoteSourceStore::keepsSourcesInOrder()
{
    QuoteSource csv;
    csv.name = QStringLiteral("Prices, B");
    csv.url = QStringLiteral("https://b.example/prices.csv?s={SYMBOL}&k={KEY}");
    csv.format = SourceFormat::Csv;
    csv.price = QStringLiteral("Close");
    csv.match = QStringLiteral("Symbol");
    csv.factor = 0.01;
    csv.decimal = DecimalMark::Comma;
    csv.delimiter = ';';
    csv.connections = 2;
    QuoteSource json = jsonSource(QStringLiteral("Prices A"));
    json.currency = QStringLiteral("=EUR");
    json.headers = {{QStringLiteral("X-Api-Key"), QStringLiteral("{KEY}")}, {QStringLiteral("Accept"), QStringLiteral("application/json")}};
    json.certificate = QStringLiteral("/etc/ssl/private-ca.pem");
    QuoteSource page;
    page.name = QStringLiteral("Page");
    page.url = QStringLiteral("https://quotes.example/quote/{SYMBOL}/?p={SYMBOL}");
    const QList<QuoteSource> sources{json, csv, page};

    SettingsFile file;
    QCOMPARE(QuoteSourceStore::write(*file.with({}), sources), QString());
    const StoredQuoteSourcesRead read = QuoteSourceStore::read(*QuoteSiteStore::open(file.path));
    QCOMPARE(read.problems, QStringList());
    QCOMPARE(read.sources, sources);

    QFile written(file.path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    QVERIFY2(text.contains("1\\name=Prices A\n") && text.contains("2\\factor=0.01\n")
                 && text.contains("1\\headers\\2\\name=Accept\n"),
             text.constData());
}

void TestQuoteSourceStore::emptyListRemovesIt()
{
    SettingsFile file;
    const std::unique_ptr<QSettings> settings = file.with(numberedSources(2) + "[QuoteSite]\nHost=q.example\n");
    QCOMPARE(QuoteSourceStore::write(*settings, {}), QString());
    QCOMPARE(QuoteSourceStore::read(*QuoteSiteStore::open(file.path)).sources, QList<QuoteSource>());
    QCOMPARE(QuoteSiteStore::open(file.path)->value("QuoteSite/Host").toString(), QStringLiteral("q.example"));
}

void TestQuoteSourceStore::readsHostileSettings_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("problems");

    const QByteArray good = "1\\name=Good\n1\\url=https://g.example/{SYMBOL}\n1\\format=json\n1\\price=/p\n";
    const auto second = [](const QByteArray &members) {
        return "2\\name=Bad\n2\\url=https://b.example/{SYMBOL}\n2\\format=json\n2\\price=/p\n" + members;
    };
    const QString ignored = QStringLiteral("A saved quote source is ignored: ");
    QTest::newRow("no list") << QByteArray("[QuoteSite]\nHost=q.example\n") << QStringList() << QStringList();
    QTest::newRow("plain http") << "[QuoteSources]\n" + good + second("2\\url=http://b.example/{SYMBOL}\n")
                                << QStringList{"Good"} << QStringList{ignored + "Bad: url: must start with https://"};
    QTest::newRow("connections not a number")
        << "[QuoteSources]\n" + good + second("2\\connections=nine\n") << QStringList{"Good"}
        << QStringList{ignored + "Bad: connections: must be a whole number"};
    QTest::newRow("connections past the most, 9")
        << "[QuoteSources]\n" + good + second("2\\connections=9\n") << QStringList{"Good"}
        << QStringList{ignored + "Bad: connections: must be from 1 to 8"};
    QTest::newRow("connections at the most, 8")
        << "[QuoteSources]\n" + good + second("2\\connections=8\n") << QStringList{"Good", "Bad"} << QStringList();
    QTest::newRow("unknown format") << "[QuoteSources]\n" + good + second("2\\format=xml\n") << QStringList{"Good"}
                                    << QStringList{ignored + "Bad: format: must be page, json, csv or text"};
    QTest::newRow("factor not a number") << "[QuoteSources]\n" + good + second("2\\factor=lots\n")
                                         << QStringList{"Good"} << QStringList{ignored + "Bad: factor: must be a number"};
    QTest::newRow("a list where a name goes")
        << "[QuoteSources]\n" + good + "2\\name=one, two\n2\\url=https://b.example/{SYMBOL}\n" << QStringList{"Good"}
        << QStringList{ignored + "Quote source 2: name: must be text"};
    QTest::newRow("header with a line break")
        << "[QuoteSources]\n" + good + second("2\\headers\\1\\name=X-Key\n2\\headers\\1\\value=\"a\\nHost: evil\"\n")
        << QStringList{"Good"} << QStringList{ignored + "Bad: headers: holds a value with a line break or NUL"};
    QTest::newRow("a name used before")
        << "[QuoteSources]\n" + good + "2\\name=GOOD\n2\\url=https://b.example/{SYMBOL}\n2\\format=json\n2\\price=/p\n"
        << QStringList{"Good"} << QStringList{ignored + "GOOD: name: another source has this name"};
    QTest::newRow("in number order, other groups skipped")
        << QByteArray("[QuoteSources]\n10\\name=Ten\n10\\url=https://t.example/{SYMBOL}\n10\\format=json\n10\\price=/p\n"
                      "2\\name=Two\n2\\url=https://t.example/{SYMBOL}\n2\\format=json\n2\\price=/p\n"
                      "x\\name=X\n0\\name=Zero\n02\\name=Zero-two\n")
        << QStringList{"Two", "Ten"} << QStringList();
    QStringList twenty;
    for (int i = 1; i <= 20; ++i)
        twenty << QStringLiteral("S%1").arg(i);
    QTest::newRow("the most, 20") << numberedSources(20) << twenty << QStringList();
    QTest::newRow("past the most, 21") << numberedSources(21) << twenty
                                       << QStringList{"More than 20 quote sources are saved; the rest are ignored."};
}

// Every source that does not pass is ignored with a problem naming it and
// its member; the rest are used.
void TestQuoteSourceStore::readsHostileSettings()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, names);
    QFETCH(QStringList, problems);

    SettingsFile file;
    const StoredQuoteSourcesRead read = QuoteSourceStore::read(*file.with(text));
    QCOMPARE(namesOf(read.sources), names);
    QCOMPARE(read.problems, problems);
}

void TestQuoteSourceStore::carriesOverQuoteSite_data()
{
    QTest::addColumn<StoredQuoteSite>("site");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("certificate");

    QTest::newRow("host and certificate")
        << StoredQuoteSite{"quotes.example:8443", "/home/u/ca.pem"} << "https://quotes.example:8443/quote/{SYMBOL}/?p={SYMBOL}"
        << "/home/u/ca.pem";
    QTest::newRow("host alone") << StoredQuoteSite{"[::1]:443", ""} << "https://[::1]:443/quote/{SYMBOL}/?p={SYMBOL}"
                                << "";
}

void TestQuoteSourceStore::carriesOverQuoteSite()
{
    QFETCH(StoredQuoteSite, site);
    QFETCH(QString, url);
    QFETCH(QString, certificate);

    const QList<QuoteSource> sources = QuoteSourceStore::carriedOver(site);
    QCOMPARE(sources.size(), 1);
    QCOMPARE(sources.at(0).name, QStringLiteral("Quote site"));
    QCOMPARE(sources.at(0).format, SourceFormat::Page);
    QCOMPARE(sources.at(0).url, url);
    QCOMPARE(sources.at(0).certificate, certificate);
    QCOMPARE(QuoteSourceStore::carriedOver(StoredQuoteSite{}), QList<QuoteSource>());
}

QTEST_GUILESS_MAIN(TestQuoteSourceStore)
#include "tst_quotesourcestore.moc"
