// The window on a small and a large screen at the desktop's usual scales:
// whole as designed where the screen holds it; otherwise no larger than the
// screen, with the buttons, progress and status line always in view and
// every control of the form reachable by scrolling. Each run has the
// screens of one scale, the one QT_SCALE_FACTOR names (see CMakeLists.txt).

#include "dialogharness.h"
#include "fittingform.h"

#include <QCursor>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QtTest>

namespace {

// Screens in device pixels. At 1x the window is about 800 x 720 pixels,
// so each small one is short of it and each large one holds it with room
// to spare.
struct ScreenCase
{
    double scale;
    const char *name;
    int width;
    int height;
    bool scrolls;
};

constexpr ScreenCase ScreenCases[] = {
    {1.0, "1024x600", 1024, 600, true},     {1.0, "1280x1024", 1280, 1024, false},
    {1.5, "1366x768", 1366, 768, true},     {1.5, "2560x1600", 2560, 1600, false},
    {2.0, "1600x1200", 1600, 1200, true},   {2.0, "3840x2160", 3840, 2160, false},
};

double currentScale()
{
    return qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
}

// The offscreen platform's screens for this run, side by side.
QByteArray screenConfiguration()
{
    QJsonArray screens;
    int x = 0;
    for (const ScreenCase &screen : ScreenCases) {
        if (screen.scale != currentScale())
            continue;
        screens.append(QJsonObject{{"name", screen.name}, {"x", x}, {"y", 0},
                                   {"width", screen.width}, {"height", screen.height}});
        x += screen.width;
    }
    return QJsonDocument(QJsonObject{{"screens", screens}}).toJson();
}

// Whether all of `control` lies inside `area`.
bool wholeIn(const QWidget *control, const QWidget *area)
{
    return area->rect().contains(QRect(control->mapTo(area, QPoint(0, 0)), control->size()));
}

} // namespace

class TestFittingForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitsTheScreen_data();
    void fitsTheScreen();
    void movingToALargerScreenShowsTheWholeForm();
};

void TestFittingForm::fitsTheScreen_data()
{
    QTest::addColumn<int>("screen");
    QTest::addColumn<bool>("scrolls");
    int index = 0;
    for (const ScreenCase &screen : ScreenCases) {
        if (screen.scale == currentScale())
            QTest::newRow(screen.name) << index++ << screen.scrolls;
    }
}

void TestFittingForm::fitsTheScreen()
{
    QFETCH(int, screen);
    QFETCH(bool, scrolls);
    QScreen *target = QGuiApplication::screens().at(screen);
    QCursor::setPos(target->geometry().center());
    DialogHarness<> h;
    h.dialog->setScreen(target);
    QVERIFY(h.showActive());

    FittingForm &view = h.dialog->formView();
    QCOMPARE(view.scrolls(), scrolls);
    QVERIFY2(target->availableGeometry().contains(h.dialog->frameGeometry()),
             qPrintable(QStringLiteral("%1 on %2").arg(QVariant(h.dialog->frameGeometry()).toString(),
                                                       QVariant(target->availableGeometry()).toString())));
    const QSize designed = h.form().sizeHint();
    if (!scrolls)
        QCOMPARE(h.dialog->size(), designed);
    QVERIFY(h.dialog->maximumWidth() >= designed.width() && h.dialog->maximumHeight() >= designed.height());

    HoldingsForm &form = h.form();
    QList<QWidget *> pinned{form.statusArea(), form.statusLabel(), form.progressBar(), form.stopButton()};
    for (QPushButton *button : form.commandButtons())
        pinned << button;
    form.setProgressShown(true);
    QWidget *viewport = view.scrollArea()->viewport();
    const auto pinnedInView = [&] {
        for (QWidget *control : pinned) {
            if (!wholeIn(control, h.dialog.get()) || (scrolls && viewport->isAncestorOf(control)))
                return false;
        }
        return true;
    };
    QVERIFY(pinnedInView());
    const QList<QWidget *> controls = form.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QVERIFY(controls.size() > 6 * HoldingRowCount);
    for (QWidget *control : controls) {
        const QRect place = control->geometry();
        view.scrollArea()->ensureVisible(place.center().x(), place.center().y(), place.width() / 2 + 1,
                                         place.height() / 2 + 1);
        QVERIFY2(wholeIn(control, viewport), qPrintable(control->accessibleName()));
        QVERIFY(pinnedInView());
    }

    // The keyboard brings the rows along.
    form.sharesBox(HoldingRowCount - 1)->setFocus();
    QVERIFY(wholeIn(form.sharesBox(HoldingRowCount - 1), viewport));
    form.nameBox(0)->setFocus();
    QVERIFY(wholeIn(form.nameBox(0), viewport));
    form.classSelector(HoldingRowCount - 1)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.finishedButton());

    // At its largest nothing is left to scroll.
    h.dialog->resize(h.dialog->maximumSize());
    QTRY_COMPARE(view.scrollArea()->verticalScrollBar()->maximum(), 0);
    QCOMPARE(view.scrollArea()->horizontalScrollBar()->maximum(), 0);
}

void TestFittingForm::movingToALargerScreenShowsTheWholeForm()
{
    QScreen *small = QGuiApplication::screens().at(0);
    QScreen *large = QGuiApplication::screens().at(1);
    QCursor::setPos(small->geometry().center());
    DialogHarness<> h;
    h.dialog->setScreen(small);
    QVERIFY(h.showActive());
    QVERIFY(h.dialog->formView().scrolls());

    h.dialog->move(large->availableGeometry().topLeft() + QPoint(20, 20));
    QTRY_COMPARE(h.dialog->screen(), large);
    QVERIFY(!h.dialog->formView().scrolls());
    QCOMPARE(h.dialog->size(), h.form().sizeHint());
    QCOMPARE(h.form().finishedButton()->parentWidget(), &h.form());
}

int main(int argc, char **argv)
{
    QTemporaryFile configuration;
    if (!configuration.open() || configuration.write(screenConfiguration()) <= 0 || !configuration.flush())
        qFatal("cannot write the screens' configuration");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(configuration.fileName()));
    QApplication app(argc, argv);
    TestFittingForm test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fittingform.moc"
