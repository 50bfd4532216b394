// Text colours the program picks read on light and dark themes alike.

#include "readabletext.h"

#include <QtTest>

class TestReadableText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contrast_data();
    void contrast();
    void errorTextReads_data();
    void errorTextReads();
};

void TestReadableText::contrast_data()
{
    QTest::addColumn<QColor>("first");
    QTest::addColumn<QColor>("second");
    QTest::addColumn<double>("ratio");

    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    // Luminance of #b00020: 0.2126 x 0.434 + 0.0722 x 0.0145 = 0.0933.
    QTest::newRow("error red on white") << QColor(0xB0, 0x00, 0x20) << QColor(Qt::white) << 7.33;
    // Against #353535 (luminance 0.0356): 0.1433 / 0.0856.
    QTest::newRow("error red on a dark window") << QColor(0xB0, 0x00, 0x20) << QColor(0x35, 0x35, 0x35) << 1.67;
}

void TestReadableText::contrast()
{
    QFETCH(QColor, first);
    QFETCH(QColor, second);
    QFETCH(double, ratio);
    QVERIFY2(qAbs(contrastRatio(first, second) - ratio) < 0.01, qPrintable(QString::number(contrastRatio(first, second))));
}

void TestReadableText::errorTextReads_data()
{
    QTest::addColumn<QColor>("window");
    QTest::newRow("light") << QColor(0xEF, 0xEF, 0xEF);
    QTest::newRow("dark") << QColor(0x35, 0x35, 0x35);
}

void TestReadableText::errorTextReads()
{
    QFETCH(QColor, window);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    const QColor error = errorTextColor(palette);
    QVERIFY(contrastRatio(error, window) >= MinTextContrast);
    // Still a red, not plain black or white.
    QVERIFY(error.red() > error.green() + 0x20);
}

QTEST_GUILESS_MAIN(TestReadableText)
#include "tst_readabletext.moc"
