// How a Value box looks for each way its row's lookup can end, on a light
// and on a dark theme.

#include "outcomelook.h"
#include "readabletext.h"

#include <QtTest>

Q_DECLARE_METATYPE(RowOutcome)

namespace {

QPalette theme(bool dark)
{
    QPalette palette;
    palette.setColor(QPalette::Base, dark ? QColor(0x20, 0x20, 0x20) : QColor(Qt::white));
    palette.setColor(QPalette::Text, dark ? QColor(Qt::white) : QColor(Qt::black));
    palette.setColor(QPalette::Window, dark ? QColor(0x30, 0x30, 0x30) : QColor(0xEF, 0xEF, 0xEF));
    palette.setColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
    return palette;
}

} // namespace

class TestOutcomeLook : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void colours_data();
    void colours();
};

void TestOutcomeLook::colours_data()
{
    QTest::addColumn<RowOutcome>("outcome");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QColor>("base");
    QTest::addColumn<QColor>("text");

    const QColor amber(0xF2, 0xB1, 0x34);
    for (const bool dark : {false, true}) {
        const char *themeName = dark ? "dark" : "light";
        const QPalette own = theme(dark);
        QTest::addRow("priced, %s", themeName) << RowOutcome::Priced << dark << own.color(QPalette::Base)
                                               << own.color(QPalette::Text);
        QTest::addRow("not held, %s", themeName) << RowOutcome::NotHeld << dark << own.color(QPalette::Base)
                                                 << own.color(QPalette::Text);
        QTest::addRow("last known, %s", themeName) << RowOutcome::LastKnown << dark << QColor(0xA9, 0xCC, 0xEE)
                                                   << QColor(Qt::black);
        // Amber with black text whatever the theme, so it reads on both.
        QTest::addRow("unpriced, %s", themeName) << RowOutcome::Unpriced << dark << amber << QColor(Qt::black);
        // Greyed, yet readable: the theme's placeholder grey is not (3.4:1).
        QTest::addRow("not looked up, %s", themeName)
            << RowOutcome::NotLookedUp << dark << (dark ? QColor(0x30, 0x30, 0x30) : QColor(0xEF, 0xEF, 0xEF))
            << QColor();
    }
}

void TestOutcomeLook::colours()
{
    QFETCH(RowOutcome, outcome);
    QFETCH(bool, dark);
    QFETCH(QColor, base);
    QFETCH(QColor, text);

    const QPalette look = outcomePalette(outcome, theme(dark));
    QCOMPARE(look.color(QPalette::Base), base);
    if (text.isValid())
        QCOMPARE(look.color(QPalette::Text), text);
    else
        QVERIFY(contrastRatio(look.color(QPalette::Text), base) >= MinTextContrast);
}

QTEST_MAIN(TestOutcomeLook)
#include "tst_outcomelook.moc"
