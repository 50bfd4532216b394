#include "pricelinereader.h"

#include <QTest>

namespace {

const QByteArray kFourLines = "one\ntwo\nthree\nfour\n";

} // namespace

class TestPriceLineReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsPriceLine_data();
    void findsPriceLine();
};

void TestPriceLineReader::findsPriceLine_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<qsizetype>("cap");
    QTest::addColumn<bool>("completeBeforeEnd"); // known before the body ends
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("line");

    const qsizetype noCap = PriceLineReader::kMaxLineBytes;
    QTest::newRow("fifth line") << kFourLines + "price\nsixth\n" << noCap << true << true << QByteArray("price");
    QTest::newRow("CRLF line ends") << QByteArray("1\r\n2\r\n3\r\n4\r\nprice\r\n6\r\n") << noCap << true << true
                                    << QByteArray("price");
    QTest::newRow("carriage return inside the line kept")
        << kFourLines + "a\rb\n" << noCap << true << true << QByteArray("a\rb");
    QTest::newRow("last line without a break") << kFourLines + "price" << noCap << false << true << QByteArray("price");
    QTest::newRow("empty fifth line") << kFourLines + "\nsixth\n" << noCap << true << true << QByteArray();
    QTest::newRow("four lines only") << kFourLines << noCap << false << false << QByteArray();
    QTest::newRow("empty body") << QByteArray() << noCap << false << false << QByteArray();
    QTest::newRow("fifth line capped") << kFourLines + "0123456789abc\n" << qsizetype(8) << true << true
                                       << QByteArray("01234567");
    QTest::newRow("cap reached without a break")
        << kFourLines + "0123456789" << qsizetype(8) << true << true << QByteArray("01234567");
    QTest::newRow("line exactly the cap") << kFourLines + "01234567\n" << qsizetype(8) << true << true
                                          << QByteArray("01234567");
    QTest::newRow("earlier lines longer than the cap still count")
        << "a\n" + QByteArray(40, 'x') + "\nc\nd\nprice\n" << qsizetype(8) << true << true << QByteArray("price");
    QTest::newRow("lines after the fifth ignored")
        << kFourLines + "price\n" + QByteArray(40, 'y') << qsizetype(8) << true << true << QByteArray("price");
}

// Every row is read whole and in pieces of several sizes: where the network
// cuts the body must not matter.
void TestPriceLineReader::findsPriceLine()
{
    QFETCH(QByteArray, body);
    QFETCH(qsizetype, cap);
    QFETCH(bool, completeBeforeEnd);
    QFETCH(bool, found);
    QFETCH(QByteArray, line);

    for (const qsizetype pieceSize : {qsizetype(1), qsizetype(2), qsizetype(7), qMax(body.size(), qsizetype(1))}) {
        PriceLineReader reader(cap);
        bool complete = false;
        for (qsizetype at = 0; at < body.size(); at += pieceSize)
            complete = reader.append(QByteArrayView(body).sliced(at, qMin(pieceSize, body.size() - at)));
        QCOMPARE(complete, completeBeforeEnd);
        QCOMPARE(reader.finish(), found);
        QCOMPARE(reader.hasPriceLine(), found);
        QCOMPARE(reader.priceLine(), QByteArrayView(line));
    }
}

QTEST_GUILESS_MAIN(TestPriceLineReader)
#include "tst_pricelinereader.moc"
