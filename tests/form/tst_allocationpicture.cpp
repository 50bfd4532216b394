#include "allocationchart.h"
#include "allocationlegend.h"
#include "allocationpicture.h"
#include "classpalette.h"

#include <QChart>
#include <QPieSeries>
#include <QtTest>

#include <cmath>

using Sums = std::array<double, AssetClassCount>;
using Percents = std::array<qint64, AssetClassCount>;

namespace {

// Distance between two colours in RGB space.
double distance(const QColor &a, const QColor &b)
{
    return std::hypot(a.red() - b.red(), a.green() - b.green(), a.blue() - b.blue());
}

double luminance(const QColor &color)
{
    auto channel = [](double c) {
        c /= 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.red()) + 0.7152 * channel(color.green())
           + 0.0722 * channel(color.blue());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return la > lb ? la / lb : lb / la;
}

} // namespace

class TestAllocationPicture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void slicesFromClassSums_data();
    void slicesFromClassSums();
    void negativeClassesAreLeftOutAndSaid();
    void paletteKeepsClassesAndWarningApart();
    void chartAndKeyShowThePicture();
};

void TestAllocationPicture::slicesFromClassSums_data()
{
    QTest::addColumn<Sums>("sums");
    QTest::addColumn<Percents>("percents");
    QTest::addColumn<double>("total");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QString>("emptyText");

    QTest::newRow("stocks and cash") << Sums{100, 0, 125, 0, 0} << Percents{44, 0, 55, 0, 0} << 225.0
                                     << QStringList{"Cash 44%", "Stocks 55%"} << QString();
    QTest::newRow("every class") << Sums{1, 2, 3, 4, 10} << Percents{5, 10, 15, 20, 50} << 20.0
                                 << QStringList{"Cash 5%", "Bonds 10%", "Stocks 15%", "Real 20%", "EMD 50%"}
                                 << QString();
    QTest::newRow("part unclassified") << Sums{0, 0, 0, 60, 0} << Percents{0, 0, 0, 60, 0} << 100.0
                                       << QStringList{"Real 60%"} << QString();
    QTest::newRow("nothing priced") << Sums{} << Percents{} << 0.0 << QStringList{}
                                    << "No holdings priced";
    QTest::newRow("sums cancel out") << Sums{500, 0, 0, 0, -500} << Percents{} << 0.0
                                     << QStringList{} << "No holdings priced";
    QTest::newRow("only unclassified") << Sums{} << Percents{} << 75.0 << QStringList{}
                                       << "No asset class to chart";
}

void TestAllocationPicture::slicesFromClassSums()
{
    QFETCH(Sums, sums);
    QFETCH(Percents, percents);
    QFETCH(double, total);
    QFETCH(QStringList, labels);
    QFETCH(QString, emptyText);

    const AllocationPicture picture = allocationPicture(sums, percents, total);
    QStringList shown;
    for (const AllocationSlice &slice : picture.slices) {
        shown << slice.label;
        QCOMPARE(slice.amount, sums[slice.assetClass]);
        QCOMPARE(slice.color, ClassPalette::classColor(slice.assetClass));
    }
    QCOMPARE(shown, labels);
    QCOMPARE(picture.emptyText, emptyText);
}

void TestAllocationPicture::negativeClassesAreLeftOutAndSaid()
{
    const AllocationPicture picture =
        allocationPicture(Sums{500, -1500, 2000, 0, 0}, Percents{50, -150, 200, 0, 0}, 1000.0);
    QCOMPARE(picture.slices.size(), 2);
    QCOMPARE(picture.slices.at(0).label, QStringLiteral("Cash 50%"));
    QCOMPARE(picture.slices.at(1).label, QStringLiteral("Stocks 200%"));
    QCOMPARE(picture.leftOut, QStringList{"Bonds (1,500)"});
    QVERIFY(picture.toolTip.contains(QStringLiteral("Left out (negative): Bonds (1,500)")));
    QVERIFY(picture.emptyText.isEmpty());

    const AllocationPicture onlyNegative =
        allocationPicture(Sums{0, -10, 0, 0, 0}, Percents{0, 100, 0, 0, 0}, -10.0);
    QVERIFY(onlyNegative.slices.isEmpty());
    QCOMPARE(onlyNegative.emptyText, QStringLiteral("No asset class to chart"));
    QVERIFY(onlyNegative.toolTip.contains(QStringLiteral("Bonds (10)")));
}

void TestAllocationPicture::paletteKeepsClassesAndWarningApart()
{
    const QColor warning = ClassPalette::unpricedBackground();
    const QColor lightWindow(0xEF, 0xEF, 0xEF);
    const QColor darkWindow(0x2A, 0x2A, 0x2A);
    for (int a = 0; a < AssetClassCount; ++a) {
        const QColor color = ClassPalette::classColor(a);
        QVERIFY2(distance(color, warning) > 80, AssetClassLabels[a]);
        QVERIFY2(contrast(color, lightWindow) > 2.0, AssetClassLabels[a]);
        QVERIFY2(contrast(color, darkWindow) > 2.0, AssetClassLabels[a]);
        for (int b = a + 1; b < AssetClassCount; ++b)
            QVERIFY2(distance(color, ClassPalette::classColor(b)) > 60, AssetClassLabels[b]);
    }
    QVERIFY(contrast(warning, ClassPalette::unpricedText()) > 7.0);
}

void TestAllocationPicture::chartAndKeyShowThePicture()
{
    AllocationChart chart;
    AllocationLegend legend;
    const AllocationPicture picture =
        allocationPicture(Sums{100, 0, 125, -5, 0}, Percents{44, 0, 55, -2, 0}, 220.0);
    chart.showPicture(picture);
    legend.showPicture(picture);

    auto *series = qobject_cast<QPieSeries *>(chart.chart()->series().constFirst());
    QVERIFY(series);
    QCOMPARE(series->count(), 2);
    QCOMPARE(series->slices().at(1)->label(), QStringLiteral("Stocks 55%"));
    QCOMPARE(series->slices().at(1)->color(), ClassPalette::classColor(2));
    QVERIFY(chart.chart()->title().isEmpty());
    QCOMPARE(chart.toolTip(), picture.toolTip);
    QVERIFY(legend.text().contains(QStringLiteral("Cash 44%")));
    QVERIFY(!legend.text().contains(QStringLiteral("Real")));

    const AllocationPicture empty = allocationPicture(Sums{}, Percents{}, 0.0);
    chart.showPicture(empty);
    legend.showPicture(empty);
    QCOMPARE(series->count(), 0);
    QCOMPARE(chart.chart()->title(), QStringLiteral("No holdings priced"));
    QVERIFY(legend.text().isEmpty());
}

QTEST_MAIN(TestAllocationPicture)
#include "tst_allocationpicture.moc"
