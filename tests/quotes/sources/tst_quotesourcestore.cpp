#include "quotesourcestore.h"
#include "settingsfile.h"
#include "sourcelimits.h"

#include <QDir>
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
struct ScratchSettings {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Fundtally.conf"));

    std::unique_ptr<QSettings> with(const QByteArray &text) const
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write the settings file");
        file.close();
        return SettingsFile::open(path);
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

// Text that Qt's INI form writes 4 bytes a character, its longest: a
// control character, and a hex digit after one, as \xNN.
QString longestText(qsizetype size)
{
    QString text;
    while (text.size() < size)
        text += text.size() % 2 ? u'a' : QChar(0x1f);
    return text;
}

// A certificate file whose path is as long as a source's may be.
QString longestCertificatePath(const QTemporaryDir &dir)
{
    QString folder = dir.path();
    while (SourceLimits::kMaxCertificateChars - folder.size() > 250)
        folder += u'/' + longestText(200);
    const QString path = folder + u'/' + longestText(SourceLimits::kMaxCertificateChars - folder.size() - 1);
    QFile authority(QStringLiteral(FUNDTALLY_TEST_AUTHORITY));
    QFile file(path);
    if (!QDir().mkpath(folder) || !authority.open(QIODevice::ReadOnly) || !file.open(QIODevice::WriteOnly)
        || file.write(authority.readAll()) <= 0)
        qFatal("cannot write the certificate file");
    return path;
}

// A csv source with every member at its bound, in the longest text each allows.
QuoteSource largestSource(int number, const QString &certificate)
{
    QuoteSource source;
    source.name = QString::number(number).leftJustified(SourceLimits::kMaxNameChars, QChar(0x20ac));
    // An address takes no control character; one beyond ASCII is written in 3 bytes.
    source.url = "https://s.example/{SYMBOL}?p=" + QString(SourceLimits::kMaxUrlChars - 29, QChar(0x20ac));
    source.format = SourceFormat::Csv;
    source.price = longestText(SourceLimits::kMaxPlaceChars);
    source.match = longestText(SourceLimits::kMaxPlaceChars);
    source.currency = longestText(SourceLimits::kMaxPlaceChars);
    source.factor = 1.2345678901234567e-300;
    source.decimal = DecimalMark::Comma;
    source.delimiter = '\t';
    for (int header = 1; header <= SourceLimits::kMaxHeaders; ++header)
        source.headers << SourceHeader{QString::number(header).leftJustified(SourceLimits::kMaxHeaderChars, u'h'),
                                       longestText(SourceLimits::kMaxHeaderChars)};
    source.certificate = certificate;
    source.connections = SourceLimits::kMaxConnections;
    return source;
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
    void keepsTheLargestList();
    void refusesListPastTheFileLimit_data();
    void refusesListPastTheFileLimit();
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
    json.certificate = QStringLiteral(FUNDTALLY_TEST_AUTHORITY);
    QuoteSource page;
    page.name = QStringLiteral("Page");
    page.url = QStringLiteral("https://quotes.example/quote/{SYMBOL}/?p={SYMBOL}");
    const QList<QuoteSource> sources{json, csv, page};

    ScratchSettings file;
    QCOMPARE(QuoteSourceStore::write(*file.with({}), sources), QString());
    const StoredQuoteSourcesRead read = QuoteSourceStore::read(*SettingsFile::open(file.path));
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
    ScratchSettings file;
    const std::unique_ptr<QSettings> settings = file.with(numberedSources(2) + "[QuoteSite]\nHost=q.example\n");
    QCOMPARE(QuoteSourceStore::write(*settings, {}), QString());
    QCOMPARE(QuoteSourceStore::read(*SettingsFile::open(file.path)).sources, QList<QuoteSource>());
    QCOMPARE(SettingsFile::open(file.path)->value("QuoteSite/Host").toString(), QStringLiteral("q.example"));
}

// The most sources, each at every bound, save and read back whole as the
// next start reads them.
void TestQuoteSourceStore::keepsTheLargestList()
{
    ScratchSettings file;
    const QString certificate = longestCertificatePath(file.dir);
    QList<QuoteSource> sources;
    for (int number = 1; number <= SourceLimits::kMaxSources; ++number)
        sources << largestSource(number, certificate);
    QCOMPARE(checkQuoteSources(sources), SourceProblem{});

    QCOMPARE(QuoteSourceStore::write(*file.with({}), sources), QString());
    const StoredQuoteSourcesRead read = QuoteSourceStore::read(*SettingsFile::open(file.path));
    QCOMPARE(read.problems, QStringList());
    QCOMPARE(read.sources, sources);
}

void TestQuoteSourceStore::refusesListPastTheFileLimit_data()
{
    QTest::addColumn<qint64>("pastLimit");
    QTest::addColumn<bool>("saved");

    QTest::newRow("at the limit") << qint64(0) << true;
    QTest::newRow("one byte past") << qint64(1) << false;
}

// Other settings take up the file but for room for the list, or a byte less.
void TestQuoteSourceStore::refusesListPastTheFileLimit()
{
    QFETCH(qint64, pastLimit);
    QFETCH(bool, saved);
    const QByteArray list = "\n[QuoteSources]\n1\\format=json\n1\\name=A\n1\\price=/price\n"
                            "1\\url=\"https://api.example.com/v1/quote?s={SYMBOL}\"\n";
    const QByteArray other = "[Other]\nPadding=";
    const qint64 padding = SettingsFile::kMaxBytes + pastLimit - other.size() - 1 - list.size();
    const QByteArray before = other + QByteArray(padding, 'x') + '\n';

    ScratchSettings file;
    const QString error = QuoteSourceStore::write(*file.with(before), {jsonSource("A")});
    QVERIFY2(saved ? error.isEmpty() : error.contains("would be larger than 2048 KiB"), qPrintable(error));
    QFile written(file.path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), saved ? before + list : before);
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
    QTest::newRow("certificate file gone")
        << "[QuoteSources]\n" + good + second("2\\certificate=/nonexistent/ca.pem\n") << QStringList{"Good"}
        << QStringList{ignored + "Bad: certificate: The certificate file \"/nonexistent/ca.pem\" does not exist."};
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

    ScratchSettings file;
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
