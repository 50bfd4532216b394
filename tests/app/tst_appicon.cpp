// The program's icon on a screen drawn at twice the size: the window and the
// About box take the image drawn for the size they show, not a blown-up
// smaller one.

#include "aboutdlg.h"
#include "appicon.h"
#include "dialogharness.h"
#include "fundtallydlg.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

#include <memory>

namespace {

// The screen scale this test runs at.
constexpr double TestScale = 2.0;

// The image drawn for `size` pixels, as it shows on a screen of `scale`.
QImage resourceImage(int size, double scale = 1.0)
{
    QImage image = QImage(QStringLiteral(":/icons/fundtally-%1.png").arg(size))
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    return image;
}

} // namespace

class TestAppIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everySizeIsDrawn_data();
    void everySizeIsDrawn();
    void iconFitsTheScale_data();
    void iconFitsTheScale();
    void windowAndAboutBoxFitTheScreen();
};

// The sizes desktops ask an application's icon in, small menus to large
// launchers, each of which the program ships drawn.
void TestAppIcon::everySizeIsDrawn_data()
{
    QTest::addColumn<int>("size");
    for (const int size : {16, 32, 48, 64, 128, 256})
        QTest::addRow("%d px", size) << size;
}

void TestAppIcon::everySizeIsDrawn()
{
    QFETCH(int, size);
    const QImage image = resourceImage(size);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(size, size));
    // The corners are clear and the inside of the first slice is painted
    // (the slices meet, blended, in the middle).
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(size * 3 / 4, size / 4)), 255);
    QVERIFY(fundtallyIcon().availableSizes().contains(QSize(size, size)));
    QCOMPARE(fundtallyIcon().availableSizes().size(), 6);
}

void TestAppIcon::iconFitsTheScale_data()
{
    QTest::addColumn<int>("logical");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("drawn");

    QTest::newRow("16 at 1x") << 16 << 1.0 << 16;
    QTest::newRow("16 at 2x") << 16 << 2.0 << 32;
    QTest::newRow("32 at 1.5x") << 32 << 1.5 << 48;
    QTest::newRow("32 at 2x") << 32 << 2.0 << 64;
    QTest::newRow("64 at 2x") << 64 << 2.0 << 128;
    QTest::newRow("128 at 2x, the largest") << 128 << 2.0 << 256;
}

void TestAppIcon::iconFitsTheScale()
{
    QFETCH(int, logical);
    QFETCH(double, scale);
    QFETCH(int, drawn);
    const QPixmap pixmap = fundtallyIcon().pixmap(QSize(logical, logical), scale);
    QCOMPARE(pixmap.size(), QSize(drawn, drawn));
    QCOMPARE(pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), resourceImage(drawn, scale));
}

void TestAppIcon::windowAndAboutBoxFitTheScreen()
{
    DialogHarness<> h;
    CFundtallyDlg &dialog = *h.dialog;
    QCOMPARE(dialog.devicePixelRatioF(), TestScale);
    QCOMPARE(dialog.windowIcon().pixmap(QSize(32, 32), dialog.devicePixelRatioF()).size(), QSize(64, 64));

    CAboutDlg about(&dialog);
    const QList<QLabel *> labels = about.findChildren<QLabel *>();
    const auto icon = std::find_if(labels.cbegin(), labels.cend(),
                                   [](const QLabel *label) { return !label->pixmap().isNull(); });
    QVERIFY(icon != labels.cend());
    const QPixmap shown = (*icon)->pixmap();
    QCOMPARE(shown.devicePixelRatio(), TestScale);
    QCOMPARE(shown.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), resourceImage(64, TestScale));
}

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", QByteArray::number(TestScale));
    QApplication app(argc, argv);
    TestAppIcon test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appicon.moc"
