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

Q_DECLARE_METATYPE(AssetTargets)

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
    void targetRing_data();
    void targetRing();
    void chartDrawsTheTargetRing();
    void partialPicture_data();
    void partialPicture();
    void noClassAndLastKnown_data();
    void noClassAndLastKnown();
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
    // A last known price is told apart from a failure and from a box that
    // was never looked up, on either theme, and reads as well as amber.
    const QColor lastKnown = ClassPalette::lastKnownBackground();
    QVERIFY(distance(lastKnown, warning) > 80);
    QVERIFY(distance(lastKnown, lightWindow) > 60);
    QVERIFY(distance(lastKnown, darkWindow) > 60);
    QVERIFY(contrast(lastKnown, ClassPalette::lastKnownText()) > 7.0);
    for (int a = 0; a < AssetClassCount; ++a)
        QVERIFY2(distance(ClassPalette::noClassColor(), ClassPalette::classColor(a)) > 60, AssetClassLabels[a]);
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

void TestAllocationPicture::targetRing_data()
{
    QTest::addColumn<Sums>("sums");
    QTest::addColumn<Percents>("percents");
    QTest::addColumn<double>("total");
    QTest::addColumn<AssetTargets>("targets");
    QTest::addColumn<QStringList>("ring");
    QTest::addColumn<QStringList>("toolTip");

    const Sums sums{100, 0, 125, 0, 0};
    const Percents percents{44, 0, 55, 0, 0};
    QTest::newRow("no targets") << sums << percents << 225.0 << AssetTargets() << QStringList()
                                << QStringList{"Cash 44%: 100", "Stocks 55%: 125"};
    QTest::newRow("targets beside the split") << sums << percents << 225.0
        << AssetTargets(TargetPercents{40, 0, 60, 0, 0})
        << QStringList{"Cash target 40 %", "Stocks target 60 %"}
        << QStringList{"Cash 44 % (target 40 %): 100", "Stocks 55 % (target 60 %): 125"};
    QTest::newRow("a target for a class not held") << sums << percents << 225.0
        << AssetTargets(TargetPercents{10, 20.5, 60, 0, 9.5})
        << QStringList{"Cash target 10 %", "Bonds target 20.5 %", "Stocks target 60 %", "EMD target 9.5 %"}
        << QStringList{"Cash 44 % (target 10 %): 100", "Bonds 0 % (target 20.5 %): 0",
                       "Stocks 55 % (target 60 %): 125", "EMD 0 % (target 9.5 %): 0"};
    QTest::newRow("a held class without a target") << sums << percents << 225.0
        << AssetTargets(TargetPercents{0, 0, 100, 0, 0}) << QStringList{"Stocks target 100 %"}
        << QStringList{"Cash 44 % (target 0 %): 100", "Stocks 55 % (target 100 %): 125"};
    QTest::newRow("negative class still left out") << Sums{500, -1500, 2000, 0, 0}
        << Percents{50, -150, 200, 0, 0} << 1000.0 << AssetTargets(TargetPercents{50, 0, 50, 0, 0})
        << QStringList{"Cash target 50 %", "Stocks target 50 %"}
        << QStringList{"Cash 50 % (target 50 %): 500", "Stocks 200 % (target 50 %): 2,000",
                       "Left out (negative): Bonds (1,500)"};
    QTest::newRow("targets before anything is priced") << Sums{} << Percents{} << 0.0
        << AssetTargets(TargetPercents{0, 40, 60, 0, 0})
        << QStringList{"Bonds target 40 %", "Stocks target 60 %"}
        << QStringList{"Bonds 0 % (target 40 %): 0", "Stocks 0 % (target 60 %): 0"};
}

void TestAllocationPicture::targetRing()
{
    QFETCH(Sums, sums);
    QFETCH(Percents, percents);
    QFETCH(double, total);
    QFETCH(AssetTargets, targets);
    QFETCH(QStringList, ring);
    QFETCH(QStringList, toolTip);

    const AllocationPicture picture = allocationPicture(sums, percents, total, targets);
    QStringList labels;
    for (const AllocationSlice &part : picture.targetRing) {
        labels << part.label;
        QCOMPARE(part.amount, (*targets)[part.assetClass]);
        QCOMPARE(part.color, ClassPalette::classColor(part.assetClass));
    }
    QCOMPARE(labels, ring);
    QCOMPARE(picture.toolTip.split(QLatin1Char('\n'), Qt::SkipEmptyParts), toolTip);
    // The donut itself does not change with the targets.
    const AllocationPicture plain = allocationPicture(sums, percents, total);
    QCOMPARE(picture.slices.size(), plain.slices.size());
    for (qsizetype i = 0; i < plain.slices.size(); ++i) {
        QCOMPARE(picture.slices.at(i).label, plain.slices.at(i).label);
        QCOMPARE(picture.slices.at(i).amount, plain.slices.at(i).amount);
    }
    QCOMPARE(picture.emptyText, plain.emptyText);
}

void TestAllocationPicture::chartDrawsTheTargetRing()
{
    AllocationChart chart;
    const QList<QAbstractSeries *> series = chart.chart()->series();
    QCOMPARE(series.size(), 2);
    auto *donut = qobject_cast<QPieSeries *>(series.at(0));
    auto *ring = qobject_cast<QPieSeries *>(series.at(1));
    QVERIFY(donut && ring);
    QCOMPARE(ring->count(), 0);

    chart.showPicture(allocationPicture(Sums{100, 0, 125, 0, 0}, Percents{44, 0, 55, 0, 0}, 225.0,
                                        TargetPercents{40, 0, 60, 0, 0}));
    QCOMPARE(donut->count(), 2);
    QCOMPARE(ring->count(), 2);
    QCOMPARE(ring->slices().at(1)->label(), QStringLiteral("Stocks target 60 %"));
    QCOMPARE(ring->slices().at(1)->value(), 60.0);
    QCOMPARE(ring->slices().at(1)->color(), ClassPalette::classColor(2));
    // The ring lies outside the donut, clear of it.
    QVERIFY(ring->holeSize() > donut->pieSize());
    QVERIFY(ring->pieSize() > ring->holeSize());
    QVERIFY(chart.toolTip().contains(QStringLiteral("Stocks 55 % (target 60 %)")));

    const double fullSize = donut->pieSize();
    chart.showPicture(allocationPicture(Sums{100, 0, 125, 0, 0}, Percents{44, 0, 55, 0, 0}, 225.0));
    QCOMPARE(ring->count(), 0);
    QVERIFY(donut->pieSize() > fullSize);
}

void TestAllocationPicture::partialPicture_data()
{
    QTest::addColumn<Sums>("sums");
    QTest::addColumn<Percents>("percents");
    QTest::addColumn<double>("total");
    QTest::addColumn<bool>("partial");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("keyText");

    QTest::newRow("whole") << Sums{0, 0, 125, 0, 0} << Percents{0, 0, 100, 0, 0} << 125.0 << false
                           << "" << "Stocks 100%";
    QTest::newRow("partial") << Sums{0, 0, 125, 0, 0} << Percents{0, 0, 100, 0, 0} << 125.0 << true
                             << "partial" << "partial, Stocks 100%";
    QTest::newRow("partial, two classes") << Sums{0, 40, 60, 0, 0} << Percents{0, 40, 60, 0, 0} << 100.0
                                          << true << "partial" << "partial, Bonds 40%, Stocks 60%";
    QTest::newRow("nothing priced yet") << Sums{} << Percents{} << 0.0 << true
                                        << "No holdings priced (partial)" << "partial, No holdings priced";
    QTest::newRow("nothing priced") << Sums{} << Percents{} << 0.0 << false << "No holdings priced"
                                    << "No holdings priced";
}

void TestAllocationPicture::partialPicture()
{
    QFETCH(Sums, sums);
    QFETCH(Percents, percents);
    QFETCH(double, total);
    QFETCH(bool, partial);
    QFETCH(QString, title);
    QFETCH(QString, keyText);

    AllocationPicture picture = allocationPicture(sums, percents, total);
    if (partial)
        markPartial(picture);
    QCOMPARE(chartTitle(picture), title);
    QCOMPARE(legendText(picture), keyText);
    QCOMPARE(picture.toolTip.startsWith(QStringLiteral("Partial: the calculation was stopped")), partial);

    AllocationChart chart;
    chart.showPicture(picture);
    QCOMPARE(chart.chart()->title(), title);
    AllocationLegend legend;
    legend.showPicture(picture);
    QCOMPARE(legend.accessibleDescription(), keyText);
    QCOMPARE(legend.text().contains(QStringLiteral("<b>partial</b>")), partial && !picture.slices.isEmpty());
}

void TestAllocationPicture::noClassAndLastKnown_data()
{
    QTest::addColumn<Sums>("sums");
    QTest::addColumn<Percents>("percents");
    QTest::addColumn<double>("total");
    QTest::addColumn<double>("noClass");
    QTest::addColumn<qint64>("noClassPercent");
    QTest::addColumn<bool>("partial");
    QTest::addColumn<bool>("lastKnown");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("keyText");

    QTest::newRow("no class beside a class") << Sums{0, 0, 60, 0, 0} << Percents{0, 0, 60, 0, 0} << 100.0 << 40.0
                                             << qint64(40) << false << false << "" << "Stocks 60%, No class 40%";
    QTest::newRow("nothing but no class") << Sums{} << Percents{} << 50.0 << 50.0 << qint64(100) << false << false
                                          << "" << "No class 100%";
    QTest::newRow("no class worth nothing") << Sums{0, 0, 60, 0, 0} << Percents{0, 0, 100, 0, 0} << 60.0 << 0.0
                                            << qint64(0) << false << false << "" << "Stocks 100%";
    QTest::newRow("last known") << Sums{0, 0, 60, 0, 0} << Percents{0, 0, 100, 0, 0} << 60.0 << 0.0 << qint64(0)
                                << false << true << "with last known prices"
                                << "with last known prices, Stocks 100%";
    QTest::newRow("partial, last known") << Sums{0, 0, 60, 0, 0} << Percents{0, 0, 100, 0, 0} << 60.0 << 0.0
                                         << qint64(0) << true << true << "partial, with last known prices"
                                         << "partial, with last known prices, Stocks 100%";
}

void TestAllocationPicture::noClassAndLastKnown()
{
    QFETCH(Sums, sums);
    QFETCH(Percents, percents);
    QFETCH(double, total);
    QFETCH(double, noClass);
    QFETCH(qint64, noClassPercent);
    QFETCH(bool, partial);
    QFETCH(bool, lastKnown);
    QFETCH(QString, title);
    QFETCH(QString, keyText);

    AllocationPicture picture = allocationPicture(sums, percents, total);
    addNoClass(picture, noClass, noClassPercent);
    if (partial)
        markPartial(picture);
    if (lastKnown)
        markLastKnown(picture);
    QCOMPARE(chartTitle(picture), title);
    QCOMPARE(legendText(picture), keyText);
    QCOMPARE(picture.toolTip.contains(QStringLiteral("last known price")), lastKnown);
}

QTEST_MAIN(TestAllocationPicture)
#include "tst_allocationpicture.moc"
