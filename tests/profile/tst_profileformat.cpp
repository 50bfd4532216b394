#include "profileformat.h"
#include "profiletestdata.h"

#include <QTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(AssetTargets)

namespace {

constexpr int TokensPerRecord = 8;

// The 160 tokens of a profile of empty rows, so a test can change or drop
// exactly the token it is about.
QList<QByteArray> emptyProfileTokens()
{
    return readProfileTestData(QStringLiteral("empty.ftly")).simplified().split(' ');
}

QByteArray profileFromTokens(const QList<QByteArray> &tokens)
{
    return tokens.join('\n') + '\n';
}

QByteArray profileWithToken(int recordNumber, int tokenIndex, const QByteArray &token)
{
    QList<QByteArray> tokens = emptyProfileTokens();
    tokens[(recordNumber - 1) * TokensPerRecord + tokenIndex] = token;
    return profileFromTokens(tokens);
}

Holdings readOrFail(QByteArrayView bytes)
{
    const ProfileReadResult result = readProfile(bytes);
    if (!result.holdings)
        qWarning("profile did not load: record %d: %s", result.record, qPrintable(result.problem));
    return result.holdings.value_or(Holdings{});
}

} // namespace

class TestProfileFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesEmptyRecordsAsEightyLines();
    void writesFilledRecordsByteForByte();
    void sharesText_data();
    void sharesText();
    void roundTrip_data();
    void roundTrip();
    void readsCrlfFile();
    void readsOldExponentFile();
    void readsLatin1File();
    void readsMixedEncodingFile();
    void firstLabel_data();
    void firstLabel();
    void readsTokensSeparatedByAnyWhiteSpace();
    void ignoresTextAfterLastRecord();
    void sharesTokens_data();
    void sharesTokens();
    void classTokens_data();
    void classTokens();
    void rejectsMalformedProfile_data();
    void rejectsMalformedProfile();
    void quotesOnlyTheStartOfAHugeToken();
    void writesTargetsAfterTheRecords_data();
    void writesTargetsAfterTheRecords();
    void readsTargetsFile();
    void targetsAfterTheRecords_data();
    void targetsAfterTheRecords();
    void rejectsMalformedTargets_data();
    void rejectsMalformedTargets();
};

void TestProfileFormat::writesEmptyRecordsAsEightyLines()
{
    const QByteArray written = writeProfile(Holdings{});
    QCOMPARE(written.count('\n'), 80);
    QCOMPARE(written, readProfileTestData(QStringLiteral("empty.ftly")));
}

void TestProfileFormat::writesFilledRecordsByteForByte()
{
    QCOMPARE(writeProfile(filledHoldings()), readProfileTestData(QStringLiteral("filled.ftly")));
}

void TestProfileFormat::sharesText_data()
{
    QTest::addColumn<double>("shares");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 100.0 << "100";
    QTest::newRow("half") << 12.5 << "12.5";
    QTest::newRow("seven digits") << 1234567.0 << "1234567";
    QTest::newRow("tenth") << 0.1 << "0.1";
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << "0.30000000000000004";
    QTest::newRow("negative") << -3.75 << "-3.75";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("large") << 1e21 << "1e+21";
    QTest::newRow("tiny") << 1e-7 << "1e-07";
    QTest::newRow("seventeen digits") << 123456789.12345679 << "123456789.12345679";
    QTest::newRow("largest") << std::numeric_limits<double>::max() << "1.7976931348623157e+308";
}

void TestProfileFormat::sharesText()
{
    QFETCH(double, shares);
    QFETCH(QString, text);
    QCOMPARE(profileSharesText(shares), text);
    QCOMPARE(text.toDouble(), shares);
}

void TestProfileFormat::roundTrip_data()
{
    QTest::addColumn<Holding>("saved");
    QTest::addColumn<Holding>("loaded");

    const auto same = [](const char *tag, const Holding &record) {
        QTest::newRow(tag) << record << record;
    };
    same("spaces in name", {QStringLiteral("Total Bond Fund"), QStringLiteral("BND"), 10, 1});
    same("name of only spaces", {QStringLiteral("   "), QStringLiteral("VTI"), 1, 2});
    same("leading and trailing spaces", {QStringLiteral(" Spaced "), QStringLiteral(" VTI "), 1, 2});
    same("lowercase null symbol", {QStringLiteral("Odd"), QStringLiteral("null"), 5, 2});
    same("mixed case Null name", {QStringLiteral("Null"), QStringLiteral("NULLS"), 5, 2});
    same("negative shares", {QStringLiteral("Short"), QStringLiteral("SH"), -250.5, 2});
    same("fractional shares", {QStringLiteral("Frac"), QStringLiteral("FR"), 0.1, 2});
    same("seven digit shares", {QStringLiteral("Big"), QStringLiteral("BIG"), 1234567, 2});
    same("many digits", {QStringLiteral("Sum"), QStringLiteral("S"), 0.1 + 0.2, 2});
    same("smallest shares", {QStringLiteral("Tiny"), QStringLiteral("T"), 5e-324, 2});
    for (int assetClass = -1; assetClass <= 4; ++assetClass) {
        const QByteArray tag = "class " + QByteArray::number(assetClass);
        same(tag.constData(), {QStringLiteral("Fund"), QStringLiteral("F"), 1, assetClass});
    }
    same("empty row", {});
    same("accents and CJK", {QStringLiteral("Ünïcödé 株式"), QStringLiteral("Ž"), 1, 0});
    same("emoji", {QStringLiteral("Rocket 🚀 Fund"), QStringLiteral("🚀"), 1, 0});
    same("no-break space stays in the token",
         {QStringLiteral("A\u00a0B"), QStringLiteral("X\u2003Y"), 1, 0});
    same("very long name", {QString(5000, u'n'), QString(300, u's'), 1, 0});

    QTest::newRow("hash comes back as a space")
        << Holding{QStringLiteral("S#P 500"), QStringLiteral("A#B"), 1, 2}
        << Holding{QStringLiteral("S P 500"), QStringLiteral("A B"), 1, 2};
    QTest::newRow("tab, newline and return come back as spaces")
        << Holding{QStringLiteral("a\tb\nc\r\nd"), QStringLiteral("x\vy\fz"), 1, 2}
        << Holding{QStringLiteral("a b c  d"), QStringLiteral("x y z"), 1, 2};
    QTest::newRow("NULL text cannot be told from empty")
        << Holding{QStringLiteral("NULL"), QStringLiteral("NULL"), 1, 2}
        << Holding{QString(), QString(), 1, 2};
    QTest::newRow("class above the list")
        << Holding{QStringLiteral("F"), QStringLiteral("F"), 1, 5}
        << Holding{QStringLiteral("F"), QStringLiteral("F"), 1, -1};
    QTest::newRow("class below none")
        << Holding{QStringLiteral("F"), QStringLiteral("F"), 1, -7}
        << Holding{QStringLiteral("F"), QStringLiteral("F"), 1, -1};
    QTest::newRow("not a number shares")
        << Holding{QStringLiteral("F"), QStringLiteral("F"), std::nan(""), 1}
        << Holding{QStringLiteral("F"), QStringLiteral("F"), 0, 1};
    QTest::newRow("infinite shares")
        << Holding{QStringLiteral("F"), QStringLiteral("F"), -std::numeric_limits<double>::infinity(), 1}
        << Holding{QStringLiteral("F"), QStringLiteral("F"), 0, 1};
}

void TestProfileFormat::roundTrip()
{
    QFETCH(Holding, saved);
    QFETCH(Holding, loaded);

    // A neighbour on each side shows the record stays within its own lines.
    const Holding neighbour{QStringLiteral("Neighbour Fund"), QStringLiteral("NB"), 7, 3};
    Holdings records;
    records[12] = neighbour;
    records[13] = saved;
    records[14] = neighbour;
    Holdings expected = records;
    expected[13] = loaded;

    const ProfileReadResult result = readProfile(writeProfile(records));
    QVERIFY2(result.holdings, qPrintable(result.problem));
    QCOMPARE(*result.holdings, expected);
}

void TestProfileFormat::readsCrlfFile()
{
    Holdings expected;
    expected[0] = {QStringLiteral("Total Stock Market"), QStringLiteral("VTI"), 100, 2};
    expected[1] = {QStringLiteral("Total Bond Fund"), QStringLiteral("BND"), 12.5, 1};
    expected[2] = {QStringLiteral("Money Market"), QStringLiteral("Money Market"), 2500.25, 0};
    QCOMPARE(readOrFail(readProfileTestData(QStringLiteral("crlf.ftly"))), expected);
}

void TestProfileFormat::readsOldExponentFile()
{
    Holdings expected;
    expected[0] = {QStringLiteral("Total Stock Market"), QStringLiteral("VTI"), 1234570, 2};
    expected[1] = {QStringLiteral("Total Bond Fund"), QStringLiteral("BND"), 12.5, 1};
    expected[2] = {QStringLiteral("Small Cap"), QStringLiteral("VB"), 0.0025, 2};
    QCOMPARE(readOrFail(readProfileTestData(QStringLiteral("exponent.ftly"))), expected);
}

void TestProfileFormat::readsLatin1File()
{
    Holdings expected;
    expected[0] = {QStringLiteral("Café Crème"), QStringLiteral("CCX"), 10, 2};
    expected[1] = {QStringLiteral("München Rück"), QStringLiteral("MUV2"), 5.5, -1};
    QCOMPARE(readOrFail(readProfileTestData(QStringLiteral("latin1.ftly"))), expected);
}

void TestProfileFormat::readsMixedEncodingFile()
{
    Holdings expected;
    expected[0] = {QStringLiteral("Café Crème"), QStringLiteral("CCX"), 10, 2};       // UTF-8
    expected[1] = {QStringLiteral("Société Générale"), QStringLiteral("GLE"), 5, 2};  // Windows-1252
    expected[2] = {QStringLiteral("€uro Stoxx 50"), QStringLiteral("SX5E"), 3.5, 2};  // 0x80
    expected[3] = {QStringLiteral("Ünïcödé 株式"), QStringLiteral("ŠKODA"), 1, 0};   // one of each
    expected[4] = {QStringLiteral("Investor’s Fund"), QStringLiteral("Zürich"), 2, 1};
    expected[5] = {QStringLiteral("Odd\u0081Byte"), QString(), 0, -1};              // undefined byte
    const Holdings records = readOrFail(readProfileTestData(QStringLiteral("mixed.ftly")));
    QCOMPARE(records, expected);

    // Written again, everything is UTF-8 and reads back the same.
    const QByteArray written = writeProfile(records);
    QVERIFY(written.contains("AssetName\tSoci\xC3\xA9t\xC3\xA9#G\xC3\xA9n\xC3\xA9rale\n"));
    QVERIFY(written.contains("AssetName\t\xE2\x82\xACuro#Stoxx#50\n"));
    QCOMPARE(readOrFail(written), expected);
}

void TestProfileFormat::firstLabel_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QString>("problem");

    const QString notAProfile = QStringLiteral("it is not a Fundtally profile (it starts with %1, not \"AssetName\")");
    QTest::newRow("AssetName") << QByteArray("AssetName") << QString();
    QTest::newRow("after white space") << QByteArray(" \r\n\tAssetName") << QString();
    QTest::newRow("after a UTF-8 byte order mark") << QByteArray("\xEF\xBB\xBF" "AssetName") << QString();
    QTest::newRow("byte order mark and a space")
        << QByteArray("\xEF\xBB\xBF AssetName") << QString();
    QTest::newRow("lower case") << QByteArray("assetname") << notAProfile.arg(QStringLiteral("\"assetname\""));
    QTest::newRow("longer word") << QByteArray("AssetNames") << notAProfile.arg(QStringLiteral("\"AssetNames\""));
    QTest::newRow("cut short") << QByteArray("AssetNam") << notAProfile.arg(QStringLiteral("\"AssetNam\""));
    QTest::newRow("another label") << QByteArray("AssetSymbol") << notAProfile.arg(QStringLiteral("\"AssetSymbol\""));
    QTest::newRow("control bytes escaped") << QByteArray("\x01\x1b" "AssetName")
                                           << notAProfile.arg(QStringLiteral("\"\\x01\\x1bAssetName\""));
    QTest::newRow("two byte order marks") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF" "AssetName")
                                          << notAProfile.arg(QStringLiteral("\"\\ufeffAssetName\""));
    QTest::newRow("a web page") << QByteArray("<!DOCTYPE") << notAProfile.arg(QStringLiteral("\"<!DOCTYPE\""));
}

void TestProfileFormat::firstLabel()
{
    QFETCH(QByteArray, start);
    QFETCH(QString, problem);

    QList<QByteArray> tokens = emptyProfileTokens();
    tokens.removeFirst();
    const QByteArray bytes = start + '\t' + profileFromTokens(tokens);
    const ProfileReadResult result = readProfile(bytes);
    QCOMPARE(result.problem, problem);
    QCOMPARE(result.holdings.has_value(), problem.isEmpty());
    QCOMPARE(result.record, 0);
}

void TestProfileFormat::readsTokensSeparatedByAnyWhiteSpace()
{
    // Only the first label is compared, so any word will do for the others.
    QByteArray bytes = "  AssetName   Wide#Fund \t\t label WF\v\f label\r\r\n-12.25 label  3";
    for (int record = 2; record <= HoldingRowCount; ++record)
        bytes += " x NULL x NULL x 0 x -1";

    Holdings expected;
    expected[0] = {QStringLiteral("Wide Fund"), QStringLiteral("WF"), -12.25, 3};
    QCOMPARE(readOrFail(bytes), expected);
}

void TestProfileFormat::ignoresTextAfterLastRecord()
{
    const QByteArray bytes = writeProfile(filledHoldings()) + "AssetName\tExtra\nnot a number\n";
    QCOMPARE(readOrFail(bytes), readOrFail(writeProfile(filledHoldings())));
}

void TestProfileFormat::sharesTokens_data()
{
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<double>("shares");

    QTest::newRow("old exponent form") << QByteArray("1.23457e+006") << 1234570.0;
    QTest::newRow("upper case exponent") << QByteArray("1E3") << 1000.0;
    QTest::newRow("plus sign") << QByteArray("+5") << 5.0;
    QTest::newRow("no whole part") << QByteArray(".5") << 0.5;
    QTest::newRow("no fraction digits") << QByteArray("5.") << 5.0;
    QTest::newRow("leading zeros") << QByteArray("007.50") << 7.5;
    QTest::newRow("negative") << QByteArray("-42") << -42.0;
    QTest::newRow("largest double") << QByteArray("1.7976931348623157e308")
                                    << std::numeric_limits<double>::max();
    QTest::newRow("smallest double") << QByteArray("4.9e-324")
                                     << std::numeric_limits<double>::denorm_min();
}

void TestProfileFormat::sharesTokens()
{
    QFETCH(QByteArray, token);
    QFETCH(double, shares);
    QCOMPARE(readOrFail(profileWithToken(9, 5, token))[8].shares, shares);
}

void TestProfileFormat::classTokens_data()
{
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<int>("assetClass");

    QTest::newRow("cash") << QByteArray("0") << 0;
    QTest::newRow("emd") << QByteArray("4") << 4;
    QTest::newRow("none") << QByteArray("-1") << -1;
    QTest::newRow("plus sign") << QByteArray("+3") << 3;
    QTest::newRow("leading zeros") << QByteArray("004") << 4;
    QTest::newRow("negative zero") << QByteArray("-0") << 0;
    QTest::newRow("just past the list") << QByteArray("5") << -1;
    QTest::newRow("far past the list") << QByteArray("99") << -1;
    QTest::newRow("below none") << QByteArray("-2") << -1;
    QTest::newRow("beyond any int") << QByteArray("99999999999999999999") << -1;
    QTest::newRow("far below any int") << QByteArray("-99999999999999999999") << -1;
}

void TestProfileFormat::classTokens()
{
    QFETCH(QByteArray, token);
    QFETCH(int, assetClass);
    QCOMPARE(readOrFail(profileWithToken(4, 7, token))[3].assetClass, assetClass);
}

void TestProfileFormat::rejectsMalformedProfile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("problem");

    QTest::newRow("empty file") << QByteArray() << 0 << "the file is empty";
    QTest::newRow("only white space") << QByteArray(" \r\n\t\n") << 0 << "the file is empty";
    QTest::newRow("only a byte order mark") << QByteArray("\xEF\xBB\xBF\n") << 0 << "the file is empty";

    const QList<QByteArray> tokens = emptyProfileTokens();
    const auto truncated = [&tokens](qsizetype count) { return profileFromTokens(tokens.first(count)); };
    QTest::newRow("ends after the first label") << truncated(1) << 1
        << "the file ends inside record 1, before its name";
    QTest::newRow("ends before its shares") << truncated(5) << 1
        << "the file ends inside record 1, before its shares";
    QTest::newRow("ends after one record") << truncated(8) << 2 << "the file ends before record 2";
    QTest::newRow("ends before a symbol") << truncated(6 * 8 + 3) << 7
        << "the file ends inside record 7, before its symbol";
    QTest::newRow("ends before the last record") << truncated(19 * 8) << 20
        << "the file ends before record 20";
    QTest::newRow("last class missing") << truncated(20 * 8 - 1) << 20
        << "the file ends inside record 20, before its class";
    QByteArray cutInsideLine = readProfileTestData(QStringLiteral("filled.ftly"));
    cutInsideLine.truncate(cutInsideLine.indexOf("AssetShares\t0.1") + 8);
    QTest::newRow("cut inside a label") << cutInsideLine << 4
        << "the file ends inside record 4, before its shares";

    const auto badShares = [](const char *token) {
        const QByteArray tag = QByteArray("shares ") + token;
        QTest::newRow(tag.constData()) << profileWithToken(7, 5, token) << 7
            << QStringLiteral("the shares \"%1\" in record 7 are not a number").arg(QLatin1String(token));
    };
    for (const char *token : {"abc", "12abc", "1,5", "1.2.3", "inf", "nan", "1e999x", "0x10", "++5", "+-5", "-", "1e", "NULL"})
        badShares(token);

    // Numbers a double cannot hold, just past its largest and smallest.
    const auto outOfRange = [](const char *token) {
        const QByteArray tag = QByteArray("shares out of range ") + token;
        QTest::newRow(tag.constData()) << profileWithToken(7, 5, token) << 7
            << QStringLiteral("the shares \"%1\" in record 7 are out of range").arg(QLatin1String(token));
    };
    for (const char *token : {"1e999", "-1e999", "1.8e308", "+1.8e308", "2e-324"})
        outOfRange(token);

    const auto badClass = [](const char *token) {
        const QByteArray tag = QByteArray("class ") + token;
        QTest::newRow(tag.constData()) << profileWithToken(20, 7, token) << 20
            << QStringLiteral("the class \"%1\" in record 20 is not a whole number").arg(QLatin1String(token));
    };
    for (const char *token : {"2.0", "Stocks", "x", "0x1", "1e2", "3a", "+", "NULL"})
        badClass(token);

    QTest::newRow("control bytes in shares escaped") << profileWithToken(2, 5, "\x01\x02" "5") << 2
        << "the shares \"\\x01\\x025\" in record 2 are not a number";
    QTest::newRow("Windows-1252 shares decoded") << profileWithToken(2, 5, "12\x80") << 2
        << "the shares \"12€\" in record 2 are not a number";
    QTest::newRow("undefined byte in class escaped") << profileWithToken(3, 7, "\x9D") << 3
        << "the class \"\\x9d\" in record 3 is not a whole number";

    QList<QByteArray> bothBad = tokens;
    bothBad[13] = "many";
    bothBad[15] = "few";
    QTest::newRow("shares and class both bad, shares reported")
        << profileFromTokens(bothBad) << 2
        << "the shares \"many\" in record 2 are not a number";
}

void TestProfileFormat::rejectsMalformedProfile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, record);
    QFETCH(QString, problem);

    const ProfileReadResult result = readProfile(bytes);
    QVERIFY(!result.holdings);
    QCOMPARE(result.record, record);
    QCOMPARE(result.problem, problem);
}

void TestProfileFormat::quotesOnlyTheStartOfAHugeToken()
{
    const QByteArray token(100'000, '9');
    const ProfileReadResult result = readProfile(profileWithToken(3, 5, token + 'x'));
    QVERIFY(!result.holdings);
    QCOMPARE(result.record, 3);
    QCOMPARE(result.problem,
             QStringLiteral("the shares \"%1…\" in record 3 are not a number").arg(QString(40, u'9')));
}

void TestProfileFormat::writesTargetsAfterTheRecords_data()
{
    QTest::addColumn<AssetTargets>("targets");
    QTest::addColumn<QByteArray>("line");   // what follows the records

    QTest::newRow("none") << AssetTargets() << QByteArray();
    QTest::newRow("whole and tenths") << AssetTargets(sampleTargets())
                                      << QByteArray("AssetTargets\t5\t24.5\t50.5\t0\t20\n");
    QTest::newRow("thirds") << AssetTargets(TargetPercents{33.3, 33.3, 33.4, 0, 0})
                            << QByteArray("AssetTargets\t33.3\t33.3\t33.4\t0\t0\n");
    QTest::newRow("all in one class") << AssetTargets(TargetPercents{0, 0, 0, 0, 100})
                                      << QByteArray("AssetTargets\t0\t0\t0\t0\t100\n");
    QTest::newRow("negative zero") << AssetTargets(TargetPercents{-0.0, 0, 100, 0, 0})
                                   << QByteArray("AssetTargets\t0\t0\t100\t0\t0\n");
    // Written, they would refuse the whole file when read back.
    QTest::newRow("not adding up") << AssetTargets(TargetPercents{10, 20, 30, 0, 0}) << QByteArray();
    QTest::newRow("out of range") << AssetTargets(TargetPercents{-10, 0, 110, 0, 0}) << QByteArray();
}

void TestProfileFormat::writesTargetsAfterTheRecords()
{
    QFETCH(AssetTargets, targets);
    QFETCH(QByteArray, line);

    const QByteArray written = writeProfile(filledHoldings(), targets);
    QCOMPARE(written, readProfileTestData(QStringLiteral("filled.ftly")) + line);

    const ProfileReadResult read = readProfile(written);
    QVERIFY2(read.holdings, qPrintable(read.problem));
    QCOMPARE(read.holdings, readProfile(writeProfile(filledHoldings())).holdings);
    QCOMPARE(read.targets.has_value(), !line.isEmpty());
    if (read.targets) {
        QCOMPARE(*read.targets, *targets);
        QCOMPARE(writeProfile(*read.holdings, read.targets), written);
    }
}

void TestProfileFormat::readsTargetsFile()
{
    const QByteArray bytes = readProfileTestData(QStringLiteral("targets.ftly"));
    QCOMPARE(writeProfile(filledHoldings(), sampleTargets()), bytes);
    const ProfileReadResult read = readProfile(bytes);
    QVERIFY2(read.holdings, qPrintable(read.problem));
    QCOMPARE(read.targets, AssetTargets(sampleTargets()));
    QCOMPARE(*read.holdings, readOrFail(readProfileTestData(QStringLiteral("filled.ftly"))));
    QVERIFY(!readProfile(readProfileTestData(QStringLiteral("filled.ftly"))).targets);
}

void TestProfileFormat::targetsAfterTheRecords_data()
{
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<AssetTargets>("targets");

    const AssetTargets none;
    const AssetTargets sample(sampleTargets());
    QTest::newRow("tabs") << QByteArray("AssetTargets\t5\t24.5\t50.5\t0\t20\n") << sample;
    QTest::newRow("crlf and spaces") << QByteArray("\r\nAssetTargets  5 24.5\r\n50.5 0 20\r\n") << sample;
    QTest::newRow("no final line break") << QByteArray("AssetTargets\t5\t24.5\t50.5\t0\t20") << sample;
    QTest::newRow("other text after the line is ignored")
        << QByteArray("AssetTargets\t5\t24.5\t50.5\t0\t20\nAssetTargets\tjunk\n") << sample;
    QTest::newRow("other number forms") << QByteArray("AssetTargets +5 24.50 5.05e1 -0 2e1\n") << sample;
    QTest::newRow("a sum of tenths") << QByteArray("AssetTargets 33.3 33.3 33.4 0 0\n")
                                     << AssetTargets(TargetPercents{33.3, 33.3, 33.4, 0, 0});
    QTest::newRow("other label ignored") << QByteArray("Targets 5 24.5 50.5 0 20\n") << none;
    QTest::newRow("label case matters") << QByteArray("assettargets 5 24.5\n") << none;
    QTest::newRow("longer label ignored") << QByteArray("AssetTargetsX 1\n") << none;
    QTest::newRow("only right after the records")
        << QByteArray("Note\nAssetTargets\t5\t24.5\t50.5\t0\t20\n") << none;
    QTest::newRow("old trailing text") << QByteArray("AssetName\tExtra\nnot a number\n") << none;
}

void TestProfileFormat::targetsAfterTheRecords()
{
    QFETCH(QByteArray, after);
    QFETCH(AssetTargets, targets);

    const ProfileReadResult read = readProfile(writeProfile(filledHoldings()) + after);
    QVERIFY2(read.holdings, qPrintable(read.problem));
    QCOMPARE(*read.holdings, readOrFail(writeProfile(filledHoldings())));
    QCOMPARE(read.targets, targets);
}

void TestProfileFormat::rejectsMalformedTargets_data()
{
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("problem");

    const QString start = QStringLiteral("the AssetTargets line after record 20 ");
    const auto notAPercent = [&start](const char *name, const char *token) {
        return start + QStringLiteral("has the %1 target \"%2\", which is not a percent from 0 to 100 "
                                      "with at most 1 decimal").arg(QLatin1String(name), QLatin1String(token));
    };
    QTest::newRow("label alone") << QByteArray("AssetTargets\n") << start + "ends before its Cash target";
    QTest::newRow("four targets") << QByteArray("AssetTargets 5 25 50 20\n")
                                  << start + "ends before its EMD target";
    QTest::newRow("a word") << QByteArray("AssetTargets 5 lots 50 20 20\n") << notAPercent("Bonds", "lots");
    QTest::newRow("below 0") << QByteArray("AssetTargets -0.1 0 100.1 0 0\n") << notAPercent("Cash", "-0.1");
    QTest::newRow("past 100") << QByteArray("AssetTargets 0 0 100.1 0 0\n") << notAPercent("Stocks", "100.1");
    QTest::newRow("two decimals") << QByteArray("AssetTargets 0 0 0 33.33 66.67\n") << notAPercent("Real", "33.33");
    QTest::newRow("not a number") << QByteArray("AssetTargets 0 0 0 0 nan\n") << notAPercent("EMD", "nan");
    QTest::newRow("infinite") << QByteArray("AssetTargets inf 0 0 0 0\n") << notAPercent("Cash", "inf");
    QTest::newRow("a percent sign") << QByteArray("AssetTargets 100% 0 0 0 0\n") << notAPercent("Cash", "100%");
    QTest::newRow("adding up to 95") << QByteArray("AssetTargets 5 25 45 10 10\n")
                                     << start + "has targets that add up to 95 %, not 100 %";
    QTest::newRow("adding up to 100.1") << QByteArray("AssetTargets 5 25 50.1 10 10\n")
                                        << start + "has targets that add up to 100.1 %, not 100 %";
    QTest::newRow("all zero") << QByteArray("AssetTargets 0 0 0 0 0\n")
                              << start + "has targets that add up to 0 %, not 100 %";
}

void TestProfileFormat::rejectsMalformedTargets()
{
    QFETCH(QByteArray, after);
    QFETCH(QString, problem);

    const ProfileReadResult result = readProfile(writeProfile(filledHoldings()) + after);
    QVERIFY(!result.holdings);
    QVERIFY(!result.targets);
    QCOMPARE(result.record, 0);
    QCOMPARE(result.problem, problem);
}

QTEST_APPLESS_MAIN(TestProfileFormat)
#include "tst_profileformat.moc"
