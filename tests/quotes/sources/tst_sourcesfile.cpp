#include "sourcelimits.h"
#include "sourcesfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A source object's text with `more` members after name, url and format.
QByteArray sourceText(const QByteArray &name, const QByteArray &more = R"("price": "/p")", const QByteArray &format = "json")
{
    return R"({"name": ")" + name + R"(", "url": "https://q.example.com/{SYMBOL}", "format": ")" + format + "\", "
        + more + "}";
}

QByteArray fileText(const QList<QByteArray> &sources)
{
    return R"({"sources": [)" + sources.join(", ") + "]}";
}

QList<QuoteSource> sampleSources()
{
    QuoteSource json;
    json.name = "Prices A";
    json.url = "https://api.example.com/v7/quote?symbols={SYMBOL}&apikey={KEY}";
    json.format = SourceFormat::Json;
    json.price = "$.quoteResponse.result[?@.symbol == '{SYMBOL}'].regularMarketPrice";
    QuoteSource csv;
    csv.name = "Cours";
    csv.url = "https://cours.example.fr/q/?s={SYMBOLS}";
    csv.format = SourceFormat::Csv;
    csv.price = "Cours";
    csv.match = "1";
    csv.currency = "=EUR";
    csv.factor = 0.01;
    csv.decimal = DecimalMark::Comma;
    csv.delimiter = '\t';
    csv.headers = {{"Accept", "text/csv"}, {"X-Api-Key", "{KEY}"}};
    csv.certificate = FUNDTALLY_TEST_AUTHORITY;
    csv.connections = 2;
    csv.batchSize = 50;
    csv.separator = "+";
    csv.perMinute = 5;
    return {json, csv};
}

} // namespace

class TestSourcesFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusesFiles_data();
    void refusesFiles();
    void keepsSizeLimit();
    void writesAndReadsBack();
    void leavesDefaultsOut();
};

void TestSourcesFile::refusesFiles_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message");

    const QByteArray a = sourceText("A");
    QTest::newRow("not JSON") << QByteArray("{") << "sources.json: not JSON: unterminated object at byte 1";
    QTest::newRow("a list") << QByteArray("[]")
                            << "sources.json: must be an object holding a \"sources\" list, optionally a \"rates\" list, and nothing else";
    QTest::newRow("another member") << QByteArray(R"({"sources": [], "version": 1})")
                                    << "sources.json: must be an object holding a \"sources\" list, optionally a \"rates\" list, and nothing else";
    QTest::newRow("source not an object") << fileText({a, "1"}) << "sources.json: source 2: must be an object";
    QTest::newRow("unknown member") << fileText({sourceText("A", R"("pricee": "/p")")})
                                    << "sources.json: source \"A\": unknown member \"pricee\"";
    QTest::newRow("name not text") << fileText({R"({"name": 7, "url": "https://q.example.com/{SYMBOL}", "format": "page"})"})
                                   << "sources.json: source 1: name: must be text";
    QTest::newRow("name too long") << fileText({sourceText(QByteArray(41, 'n'))})
                                   << "sources.json: source 1: name: longer than 40 characters";
    QTest::newRow("no format") << fileText({R"({"name": "A", "url": "https://q.example.com/{SYMBOL}"})"})
                               << "sources.json: source \"A\": format: missing";
    QTest::newRow("unknown format") << fileText({sourceText("A", R"("price": "/p")", "xml")})
                                    << "sources.json: source \"A\": format: must be page, json, csv or text";
    QTest::newRow("factor as text") << fileText({sourceText("A", R"("price": "/p", "factor": "0.01")")})
                                    << "sources.json: source \"A\": factor: must be a number";
    QTest::newRow("connections a fraction") << fileText({sourceText("A", R"("price": "/p", "connections": 2.5)")})
                                            << "sources.json: source \"A\": connections: must be a whole number";
    QTest::newRow("connections huge") << fileText({sourceText("A", R"("price": "/p", "connections": 1e300)")})
                                      << "sources.json: source \"A\": connections: must be from 1 to 8";
    QTest::newRow("header value a number") << fileText({sourceText("A", R"("price": "/p", "headers": {"X-N": 1})")})
                                           << "sources.json: source \"A\": headers: must be an object whose values are text";
    QTest::newRow("pipe delimiter") << fileText({sourceText("A", R"("price": "2", "delimiter": "|")", "csv")})
                                    << "sources.json: source \"A\": delimiter: must be \",\", \";\" or a tab";
    QTest::newRow("unknown decimal") << fileText({sourceText("A", R"("price": "/p", "decimal": "'")")})
                                     << "sources.json: source \"A\": decimal: must be \".\" or \",\"";
    QTest::newRow("second source's url") << fileText({a, R"({"name": "B", "url": "http://q.example.com/{SYMBOL}", "format": "page"})"})
                                         << "sources.json: source \"B\": url: must start with https://";
    QTest::newRow("certificate file missing")
        << fileText({a, sourceText("B", R"("price": "/p", "certificate": "/nonexistent/ca.pem")")})
        << "sources.json: source \"B\": certificate: The certificate file \"/nonexistent/ca.pem\" does not exist.";
    QTest::newRow("note of 1001") << fileText({sourceText("N", R"("price": "/p", "note": ")" + QByteArray(1001, 'n') + '"')})
                                  << "sources.json: source \"N\": \"note\" must be text of at most 1000 characters";
    QTest::newRow("documentation over http")
        << fileText({sourceText("N", R"("price": "/p", "documentation": "http://docs.example.com/")")})
        << "sources.json: source \"N\": \"documentation\" must be an https:// address of at most 2000 characters";
    QTest::newRow("names used twice") << fileText({a, sourceText("a")})
                                      << "sources.json: source \"a\": name: another source has this name";
    const auto withRates = [&a](const QByteArray &rates) {
        return QByteArray(R"({"sources": [)") + a + "], \"rates\": [" + rates + "]}";
    };
    QTest::newRow("rate not an object") << withRates("1") << "sources.json: rate source 1: must be an object";
    QTest::newRow("rate unknown member")
        << withRates(R"({"name": "R", "url": "https://r.example/x.xml", "format": "ecb", "base": "EUR"})")
        << "sources.json: rate source \"R\": unknown member \"base\"";
    QTest::newRow("rate over http")
        << withRates(R"({"name": "R", "url": "http://r.example/x.xml", "format": "ecb"})")
        << "sources.json: rate source \"R\": url: must start with https://";
    QTest::newRow("rate of another format")
        << withRates(R"({"name": "R", "url": "https://r.example/x.xml", "format": "xml"})")
        << "sources.json: rate source \"R\": format: must be ecb, json, csv or text";
    QTest::newRow("rate pair without {TO}")
        << withRates(R"({"name": "R", "url": "https://r.example/{FROM}", "format": "json", "price": "/r"})")
        << "sources.json: rate source \"R\": url: must hold {FROM} and {TO}";
    QTest::newRow("rate document asked per pair")
        << withRates(R"({"name": "R", "url": "https://r.example/{FROM}/{TO}.xml", "format": "ecb"})")
        << "sources.json: rate source \"R\": url: the reference rates document is asked whole: no {FROM} or {TO}";
    QTest::newRow("rate note a number")
        << withRates(R"({"name": "R", "url": "https://r.example/x.xml", "format": "ecb", "note": 1})")
        << "sources.json: rate source \"R\": \"note\" must be text of at most 1000 characters";
    QTest::newRow("rate named as a source")
        << withRates(R"({"name": "A", "url": "https://r.example/x.xml", "format": "ecb"})")
        << "sources.json: rate source \"A\": name: another source has this name";
    QByteArray manyRates;
    for (int number = 1; number <= SourceLimits::kMaxRateSources + 1; ++number)
        manyRates += (number > 1 ? "," : "") + QByteArray(R"({"name": "R)") + QByteArray::number(number)
            + R"(", "url": "https://r.example/x.xml", "format": "ecb"})";
    QTest::newRow("9 rate sources") << withRates(manyRates) << "sources.json: rates: more than 8";
    QList<QByteArray> many;
    for (int number = 1; number <= SourceLimits::kMaxSources + 1; ++number)
        many.append(sourceText(QByteArray::number(number)));
    QTest::newRow("21 sources") << fileText(many) << "sources.json: sources: more than 20";
}

void TestSourcesFile::refusesFiles()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QFile file(dir.filePath("sources.json"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    const SourcesFileRead read = readSourcesFile(file.fileName());
    QVERIFY(!read.problem.ok());
    QVERIFY(read.sources.isEmpty());
    QCOMPARE(sourcesFileProblemText("sources.json", read.problem), message);
}

void TestSourcesFile::keepsSizeLimit()
{
    const QByteArray text = fileText({sourceText("A")});
    const QByteArray atLimit = text + QByteArray(SourceLimits::kMaxSourcesFileBytes - text.size(), '\n');
    QTemporaryDir dir;
    QFile file(dir.filePath("sources.json"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(atLimit) == atLimit.size());
    file.close();
    const SourcesFileRead read = readSourcesFile(file.fileName());
    QVERIFY(read.problem.ok());
    QCOMPARE(read.sources.size(), 1);

    QVERIFY(file.open(QIODevice::Append) && file.write("\n") == 1);
    file.close();
    QCOMPARE(sourcesFileProblemText("s.json", readSourcesFile(file.fileName()).problem),
             "s.json: larger than 1024 KiB, not a sources file");

    // A note at its limit, and its documentation, are kept beside the source.
    const QByteArray noted = fileText({sourceText("N", R"("price": "/p", "note": ")" + QByteArray(SourceLimits::kMaxNoteChars, 'n')
                                                       + R"(", "documentation": "https://docs.example.com/q")")});
    const SourcesFileRead withNote = parseSourcesFile(noted);
    QVERIFY(withNote.problem.ok());
    QCOMPARE(withNote.notes.value("N"), (SourceNote{QString(SourceLimits::kMaxNoteChars, u'n'), "https://docs.example.com/q"}));

    const QString missing = dir.filePath("missing.json");
    QCOMPARE(readSourcesFile(missing).problem.issue, SourcesFileIssue::Unreadable);
}

void TestSourcesFile::writesAndReadsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sources.json");
    RateSource pairs;
    pairs.name = "Pairs";
    pairs.url = "https://fx.example/{FROM}?to={TO}&k={KEY}";
    pairs.format = SourceFormat::Csv;
    pairs.price = "{TO}";
    pairs.match = "pair";
    const QList<RateSource> rates{builtInRateSource(), pairs};
    QVERIFY(writeSourcesFile(path, sampleSources(), rates).ok());
    const SourcesFileRead read = readSourcesFile(path);
    QVERIFY(read.problem.ok());
    QCOMPARE(read.sources, sampleSources());
    QCOMPARE(read.rates, rates);

    QList<QuoteSource> invalid = sampleSources();
    invalid[1].connections = 0;
    const SourcesFileProblem refused = writeSourcesFile(path, invalid);
    QCOMPARE(sourcesFileProblemText(path, refused), path + ": source \"Cours\": connections: must be from 1 to 8");
    QCOMPARE(readSourcesFile(path).sources, sampleSources());
}

void TestSourcesFile::leavesDefaultsOut()
{
    QCOMPARE(sourcesFileText({sampleSources().first()}),
             QByteArray("{\n"
                        "    \"sources\": [\n"
                        "        {\n"
                        "            \"format\": \"json\",\n"
                        "            \"name\": \"Prices A\",\n"
                        "            \"price\": \"$.quoteResponse.result[?@.symbol == '{SYMBOL}'].regularMarketPrice\",\n"
                        "            \"url\": \"https://api.example.com/v7/quote?symbols={SYMBOL}&apikey={KEY}\"\n"
                        "        }\n"
                        "    ]\n"
                        "}\n"));
}

QTEST_GUILESS_MAIN(TestSourcesFile)
#include "tst_sourcesfile.moc"
