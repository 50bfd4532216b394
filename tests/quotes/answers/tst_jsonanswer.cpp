#include "jsonanswer.h"
#include "answerlimits.h"

#include <QJsonObject>
#include <QTest>

using AnswerLimits::kMaxJsonDepth;

namespace {

QByteArray nestedArrays(int depth, const QByteArray &inside = "7")
{
    return QByteArray(depth, '[') + inside + QByteArray(depth, ']');
}

} // namespace

class TestJsonAnswer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsAnswers_data();
    void readsAnswers();
    void countsNesting_data();
    void countsNesting();
};

void TestJsonAnswer::readsAnswers_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<JsonAnswerFailure>("failure");

    QTest::newRow("object") << QByteArray(R"({"price": 1})") << JsonAnswerFailure::None;
    QTest::newRow("bare number") << QByteArray(" 245.87\n") << JsonAnswerFailure::None;
    QTest::newRow("bare string") << QByteArray(R"("245.87")") << JsonAnswerFailure::None;
    QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf{}") << JsonAnswerFailure::None;
    QTest::newRow("nested 64") << nestedArrays(kMaxJsonDepth) << JsonAnswerFailure::None;
    QTest::newRow("nested 65") << nestedArrays(kMaxJsonDepth + 1) << JsonAnswerFailure::TooDeep;
    QTest::newRow("objects nested 65")
        << QByteArray(R"({"a":)").repeated(kMaxJsonDepth + 1) + "1" + QByteArray(kMaxJsonDepth + 1, '}')
        << JsonAnswerFailure::TooDeep;
    QTest::newRow("brackets in strings do not nest")
        << nestedArrays(kMaxJsonDepth, R"("[[[{{{\"[[")") << JsonAnswerFailure::None;
    QTest::newRow("empty") << QByteArray() << JsonAnswerFailure::NotJson;
    QTest::newRow("two values") << QByteArray("1, 2") << JsonAnswerFailure::NotJson;
    QTest::newRow("closed early") << QByteArray("1], [2") << JsonAnswerFailure::NotJson;
    QTest::newRow("a web page") << QByteArray("<html><body>245.87</body></html>") << JsonAnswerFailure::NotJson;
    QTest::newRow("cut short") << QByteArray(R"({"quote": [{"last": 24)") << JsonAnswerFailure::NotJson;
}

void TestJsonAnswer::readsAnswers()
{
    QFETCH(QByteArray, body);
    QFETCH(JsonAnswerFailure, failure);

    const JsonAnswer answer = readJsonAnswer(body);
    QCOMPARE(answer.failure, failure);
    QCOMPARE(answer.root.isUndefined(), failure != JsonAnswerFailure::None);
}

void TestJsonAnswer::countsNesting_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("depth");

    QTest::newRow("scalar") << QByteArray("12") << 0;
    QTest::newRow("siblings") << QByteArray("[[1],[2],{}]") << 2;
    QTest::newRow("escaped quote in a string") << QByteArray(R"(["\"[[[", [1]])") << 2;
    QTest::newRow("escaped backslash ends a string") << QByteArray(R"(["\\", [[1]]])") << 3;
}

void TestJsonAnswer::countsNesting()
{
    QFETCH(QByteArray, text);
    QFETCH(int, depth);

    QCOMPARE(jsonNesting(text, kMaxJsonDepth), depth);
}

QTEST_GUILESS_MAIN(TestJsonAnswer)
#include "tst_jsonanswer.moc"
