// Text colours the program picks read on light and dark themes alike.

#include "readabletext.h"

#include <QtTest>

class TestReadableText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contrast();
    void errorTextReadsOnLightAndDark();
};

void TestReadableText::contrast()
{
    QCOMPARE(contrastRatio(Qt::black, Qt::white), 21.0);
    // #b00020 (luminance 0.0933) on #353535 (0.0356): 0.1433 / 0.0856, the
    // red a dark theme could not read.
    QVERIFY(qAbs(contrastRatio(QColor(0xB0, 0x00, 0x20), QColor(0x35, 0x35, 0x35)) - 1.67) < 0.01);
}

void TestReadableText::errorTextReadsOnLightAndDark()
{
    for (const QColor &window : {QColor(0xEF, 0xEF, 0xEF), QColor(0x35, 0x35, 0x35)}) {
        QPalette palette;
        palette.setColor(QPalette::Window, window);
        const QColor error = errorTextColor(palette);
        QVERIFY(contrastRatio(error, window) >= MinTextContrast);
        // Still a red, not plain black or white.
        QVERIFY(error.red() > error.green() + 0x20);
    }
}

QTEST_GUILESS_MAIN(TestReadableText)
#include "tst_readabletext.moc"
