#include "jsonplace.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

// A batch answer as quote APIs send them: many symbols, prices as numbers
// and as strings, names that need escaping in a pointer.
const char kBatchAnswer[] = R"({
  "quoteResponse": {
    "result": [
      {"symbol": "VTI", "regularMarketPrice": 245.87, "currency": "USD"},
      {"symbol": "VXUS", "regularMarketPrice": "61.02", "currency": "USD"},
      {"symbol": "BRK.B", "regularMarketPrice": 412.5, "currency": "USD", "extra": {"it\u0027s": 9}}
    ],
    "error": null
  },
  "a/b": {"m~n": 3},
  "data": {"VTI": {"last": 245.8}, "AAA": {"close": 1}},
  "tickers": [{"id": "vxus", "px": "61,02"}, {"id": "vti", "px": "245,80"}]
})";

} // namespace

class TestJsonPlace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusesPlaces_data();
    void refusesPlaces();
    void findsValues_data();
    void findsValues();
};

void TestJsonPlace::refusesPlaces_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<JsonPlaceError>("error");
    QTest::addColumn<qsizetype>("position");

    using E = JsonPlaceError;
    QTest::newRow("empty") << "" << E::Empty << qsizetype(0);
    QTest::newRow("dotted without $") << "quote.last" << E::NotPointerOrPath << qsizetype(0);
    QTest::newRow("pointer ~2") << "/a~2" << E::PointerEscape << qsizetype(2);
    QTest::newRow("pointer ~ at end") << "/a/~" << E::PointerEscape << qsizetype(3);
    QTest::newRow("descendants") << "$..price" << E::PathUnsupported << qsizetype(2);
    QTest::newRow("slice") << "$.a[0:2]" << E::PathUnsupported << qsizetype(5);
    QTest::newRow("union") << "$.a[0,1]" << E::PathUnsupported << qsizetype(5);
    QTest::newRow("other comparison") << "$.a[?@.p > '1']" << E::PathUnsupported << qsizetype(9);
    QTest::newRow("compared with a number") << "$.a[?@.p == 1]" << E::PathUnsupported << qsizetype(12);
    QTest::newRow("function") << "$.a[?length(@.p) == 1]" << E::PathUnsupported << qsizetype(5);
    QTest::newRow("two comparisons") << "$.a[?@.p == 'x' && @.q == 'y']" << E::PathUnsupported << qsizetype(16);
    QTest::newRow("index in a filter") << "$.a[?@[0] == 'x']" << E::PathUnsupported << qsizetype(7);
    QTest::newRow("open bracket") << "$.a[" << E::PathSyntax << qsizetype(4);
    QTest::newRow("unterminated name") << "$.a['x]" << E::PathSyntax << qsizetype(7);
    QTest::newRow("bad escape") << R"($['a\q'])" << E::PathSyntax << qsizetype(5);
    QTest::newRow("leading zero") << "$.a[01]" << E::PathSyntax << qsizetype(4);
    QTest::newRow("minus zero") << "$.a[-0]" << E::PathSyntax << qsizetype(5);
    QTest::newRow("index past 2^53-1") << "$[9007199254740992]" << E::PathSyntax << qsizetype(2);
    QTest::newRow("name starting with a digit") << "$.1a" << E::PathSyntax << qsizetype(2);
    QTest::newRow("stray bracket") << "$.a]" << E::PathSyntax << qsizetype(3);
    QTest::newRow("unclosed parenthesis") << "$.a[?(@.p == 'x']" << E::PathSyntax << qsizetype(16);
}

void TestJsonPlace::refusesPlaces()
{
    QFETCH(QString, place);
    QFETCH(JsonPlaceError, error);
    QFETCH(qsizetype, position);

    const JsonPlace parsed = JsonPlace::parse(place);
    QVERIFY(!parsed.isValid());
    QCOMPARE(parsed.error(), error);
    QCOMPARE(parsed.errorPosition(), position);
    QVERIFY(!parsed.find(QJsonValue(1), QString()));
}

void TestJsonPlace::findsValues_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QJsonValue>("value");  // undefined: nothing found
    QTest::addColumn<QString>("path");

    const QJsonValue none(QJsonValue::Undefined);
    const QString vtiPrice("$['quoteResponse']['result'][0]['regularMarketPrice']");
    QTest::newRow("pointer") << "/quoteResponse/result/0/regularMarketPrice" << "" << QJsonValue(245.87) << vtiPrice;
    QTest::newRow("pointer escapes") << "/a~1b/m~0n" << "" << QJsonValue(3) << "$['a/b']['m~n']";
    QTest::newRow("pointer past the end") << "/quoteResponse/result/3" << "" << none << "";
    QTest::newRow("pointer index with leading zero") << "/quoteResponse/result/01" << "" << none << "";
    QTest::newRow("pointer '-'") << "/quoteResponse/result/-" << "" << none << "";
    QTest::newRow("pointer through null") << "/quoteResponse/error/x" << "" << none << "";
    QTest::newRow("dotted names and index") << "$.quoteResponse.result[0].regularMarketPrice" << ""
                                            << QJsonValue(245.87) << vtiPrice;
    QTest::newRow("bracketed names, spaces") << "$[ 'quoteResponse' ][\"result\"] [0]['regularMarketPrice']" << ""
                                             << QJsonValue(245.87) << vtiPrice;
    QTest::newRow("from the end") << "$.quoteResponse.result[-1].symbol" << "" << QJsonValue("BRK.B")
                                  << "$['quoteResponse']['result'][2]['symbol']";
    QTest::newRow("before the start") << "$.quoteResponse.result[-4]" << "" << none << "";
    QTest::newRow("filter by symbol")
        << "$.quoteResponse.result[?@.symbol == '{SYMBOL}'].regularMarketPrice" << "VXUS" << QJsonValue("61.02")
        << "$['quoteResponse']['result'][1]['regularMarketPrice']";
    QTest::newRow("filter compares exactly") << "$.quoteResponse.result[?@.symbol == '{SYMBOL}'].symbol" << "vxus"
                                             << none << "";
    QTest::newRow("filter with lower-case symbol") << "$.tickers[?@.id == \"{symbol}\"].px" << "VTI"
                                                   << QJsonValue("245,80") << "$['tickers'][1]['px']";
    QTest::newRow("filter reversed, parenthesized")
        << "$.quoteResponse.result[?('BRK.B' == @['symbol'])].regularMarketPrice" << "" << QJsonValue(412.5)
        << "$['quoteResponse']['result'][2]['regularMarketPrice']";
    QTest::newRow("wildcard takes the first") << "$.quoteResponse.result[*].regularMarketPrice" << ""
                                              << QJsonValue(245.87) << vtiPrice;
    QTest::newRow("wildcard skips what has no value") << "$.quoteResponse.result[*].extra.*" << ""
                                                      << QJsonValue(9)
                                                      << R"($['quoteResponse']['result'][2]['extra']['it\'s'])";
    QTest::newRow("object wildcard, members by name") << "$.data.*.close" << "" << QJsonValue(1)
                                                      << "$['data']['AAA']['close']";
    QTest::newRow("name on an array") << "$.quoteResponse.result.symbol" << "" << none << "";
    QTest::newRow("index on an object") << "$.data[0]" << "" << none << "";
}

void TestJsonPlace::findsValues()
{
    QFETCH(QString, place);
    QFETCH(QString, symbol);
    QFETCH(QJsonValue, value);
    QFETCH(QString, path);

    const JsonPlace parsed = JsonPlace::parse(place);
    QVERIFY(parsed.isValid());
    const QJsonValue root = QJsonDocument::fromJson(kBatchAnswer).object();
    const std::optional<JsonFound> found = parsed.find(root, symbol);
    QCOMPARE(found.has_value(), !value.isUndefined());
    if (found) {
        QCOMPARE(found->value, value);
        QCOMPARE(found->path, path);
    }
}

QTEST_GUILESS_MAIN(TestJsonPlace)
#include "tst_jsonplace.moc"
