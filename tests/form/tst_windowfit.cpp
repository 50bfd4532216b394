// Whether the window shows the form whole or scrolling on a screen, and at
// what size, worked out without a window: whole when the free area holds
// the form and the window's frame, to the pixel; otherwise scrolling, as
// large as the area allows between the smallest and the roomy size.

#include "windowfit.h"

#include <QtTest>

namespace {

const QSize Designed(800, 700);
const QSize Roomy(815, 740);
const QSize Smallest(500, 200);
// 2 pixels wide and 21 tall in all.
const QMargins Frame(1, 20, 1, 1);

} // namespace

class TestWindowFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fit_data();
    void fit();
};

void TestWindowFit::fit_data()
{
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<bool>("scrolls");
    QTest::addColumn<QSize>("size");

    QTest::newRow("holds it exactly") << QSize(802, 721) << Frame << false << Designed;
    QTest::newRow("large screen") << QSize(1920, 1200) << Frame << false << Designed;
    QTest::newRow("a pixel too narrow") << QSize(801, 721) << Frame << true << QSize(799, 700);
    QTest::newRow("a pixel too short") << QSize(802, 720) << Frame << true << QSize(800, 699);
    QTest::newRow("wide but short") << QSize(1920, 600) << Frame << true << QSize(815, 579);
    QTest::newRow("at the smallest") << QSize(502, 221) << Frame << true << Smallest;
    QTest::newRow("below the smallest") << QSize(400, 150) << Frame << true << Smallest;
    // 16 pixels wide and 48 tall before the window manager says otherwise.
    QTest::newRow("estimated frame, holds it") << QSize(816, 748) << EstimatedWindowFrame << false << Designed;
    QTest::newRow("estimated frame, a pixel short")
        << QSize(816, 747) << EstimatedWindowFrame << true << QSize(800, 699);
}

void TestWindowFit::fit()
{
    QFETCH(QSize, available);
    QFETCH(QMargins, frame);
    QFETCH(bool, scrolls);
    QFETCH(QSize, size);

    // Where the area lies on the desktop does not matter.
    const WindowFit fit = fitWindow(Designed, Roomy, Smallest, QRect(QPoint(1920, 30), available), frame);
    QCOMPARE(fit.scrolls, scrolls);
    QCOMPARE(fit.size, size);
}

QTEST_APPLESS_MAIN(TestWindowFit)
#include "tst_windowfit.moc"
