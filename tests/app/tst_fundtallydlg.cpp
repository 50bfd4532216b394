#include "aboutdlg.h"
#include "allocationchart.h"
#include "allocationlegend.h"
#include "classpalette.h"
#include "commandmenu.h"
#include "currencykeeping.h"
#include "dialogharness.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "rebalancedialog.h"
#include "reportcurrency.h"
#include "settingsfile.h"
#include "statusline.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleHints>
#include <QTimer>
#include <QMenu>
#include <QtTest>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

#include <algorithm>

namespace {

// VTI is 12.50, BND 70.25 and Cash 1.00.
struct Harness : DialogHarness<>
{
    Harness() { quotes.prices = {{"VTI", 12.5}, {"BND", 70.25}, {"Cash", 1.0}}; }
};

// What assistive tools were told, caught by an update handler (which Qt
// calls with a plain function, hence the list outside the test class).
struct AccessibleNotice
{
    QObject *object;
    QAccessible::Event type;
    QString name; // what the object was called when the notice went out
};

QList<AccessibleNotice> &accessibleNotices()
{
    static QList<AccessibleNotice> notices;
    return notices;
}

void recordAccessibleNotice(QAccessibleEvent *event)
{
    const QAccessibleInterface *target = event->accessibleInterface();
    accessibleNotices().append({event->object(), event->type(),
                                target ? target->text(QAccessible::Name) : QString()});
}

// Catches notices for as long as it lives.
class AccessibleNoticeRecorder
{
public:
    // Qt passes accessibility events on only while the platform's bridge is
    // switched on; the offscreen platform has a bridge that is off until a
    // screen reader would ask, so the recorder switches it on as one would.
    AccessibleNoticeRecorder()
        : m_bridge(QGuiApplicationPrivate::platformIntegration()->accessibility())
        , m_wasActive(m_bridge && m_bridge->isActive())
        , m_previous(QAccessible::installUpdateHandler(recordAccessibleNotice))
    {
        accessibleNotices().clear();
        if (m_bridge)
            m_bridge->setActive(true);
    }
    ~AccessibleNoticeRecorder()
    {
        QAccessible::installUpdateHandler(m_previous);
        if (m_bridge)
            m_bridge->setActive(m_wasActive);
    }
    AccessibleNoticeRecorder(const AccessibleNoticeRecorder &) = delete;
    AccessibleNoticeRecorder &operator=(const AccessibleNoticeRecorder &) = delete;

    // The names announced for the object, a repeat of the same notice
    // (Qt may send one for the text and one for the name) counted once.
    QStringList announcedNames(QObject *object) const
    {
        QStringList names;
        for (const AccessibleNotice &n : accessibleNotices()) {
            if (n.object == object && n.type == QAccessible::NameChanged
                && (names.isEmpty() || names.last() != n.name))
                names << n.name;
        }
        return names;
    }

    int count(QObject *object, QAccessible::Event type) const
    {
        return int(std::count_if(accessibleNotices().cbegin(), accessibleNotices().cend(),
                                 [&](const AccessibleNotice &n) { return n.object == object && n.type == type; }));
    }

private:
    QPlatformAccessibility *m_bridge;
    bool m_wasActive;
    QAccessible::UpdateHandler m_previous;
};

} // namespace

class TestFundtallyDlg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshDialog();
    void lastKnownPriceValuesTheRow();
    void enterRunsCalculate();
    void finishedNeedsNumbers();
    void aboutBoxOnF1();
    void quoteSourcesCommand();
    void currencyCommand_data();
    void currencyCommand();
    void menuKeysOpenTheMenuAtTheFocus_data();
    void menuKeysOpenTheMenuAtTheFocus();
    void calculationFillsEveryBox();
    void unpricedRowsAreFlagged();
    void formIsLockedWhileCalculating();
    void stopKeepsWhatWasPriced();
    void closingMidRunEndsCleanly();
    void destroyingMidRunEndsCleanly();
    void quoteSourcesLinkAsksForASource_data();
    void quoteSourcesLinkAsksForASource();
    void statusNameFollowsEveryChange();
    void everyStatusIsAnnounced();
    void manyFailuresAreElidedNotLost();
};

void TestFundtallyDlg::freshDialog()
{
    Harness h;
    QCOMPARE(h.dialog->windowTitle(), QStringLiteral("Fundtally"));
    const QList<QSize> sizes = h.dialog->windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)));
    QVERIFY(sizes.contains(QSize(32, 32)));

    HoldingsForm &form = h.form();
    for (int r = 0; r < HoldingRowCount; ++r) {
        QCOMPARE(form.sharesBox(r)->text(), QStringLiteral("0"));
        QCOMPARE(form.valueBox(r)->text(), QStringLiteral("0"));
        QCOMPARE(form.percentBox(r)->text(), QStringLiteral("0"));
        QVERIFY(form.nameBox(r)->text().isEmpty());
        QVERIFY(form.symbolBox(r)->text().isEmpty());
        QCOMPARE(form.classSelector(r)->currentIndex(), -1);
    }
    QVERIFY(form.totalBox()->text().isEmpty());
    for (int c = 0; c < AssetClassCount; ++c) {
        QCOMPARE(form.classPercentBox(c)->text(), QStringLiteral("0"));
        QVERIFY(form.classAmountBox(c)->text().isEmpty());
    }
    QVERIFY(h.showActive());
    QCOMPARE(QApplication::focusWidget(), form.nameBox(0));
}

void TestFundtallyDlg::enterRunsCalculate()
{
    Harness h;
    QVERIFY(h.showActive());
    h.type(0, "Total Market", "VTI", "10", 2);
    h.form().nameBox(0)->setFocus();
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);

    QTest::keyClick(h.form().nameBox(0), Qt::Key_Return);
    QVERIFY(finished.wait());
    QCOMPARE(h.quotes.requested, QStringList{"VTI"});
    QCOMPARE(h.form().valueBox(0)->text(), QStringLiteral("125"));
    QVERIFY(h.dialog->isVisible());
}

void TestFundtallyDlg::finishedNeedsNumbers()
{
    Harness h;
    QVERIFY(h.showActive());
    h.type(3, "Bonds", "BND", "lots", 1);
    QTest::mouseClick(h.form().finishedButton(), Qt::LeftButton);
    QCOMPARE(h.prompt.boxes, QList<QLineEdit *>{h.form().sharesBox(3)});
    QVERIFY(h.dialog->isVisible());

    h.form().sharesBox(3)->setText(QStringLiteral("12"));
    QTest::mouseClick(h.form().finishedButton(), Qt::LeftButton);
    QVERIFY(!h.dialog->isVisible());
    QCOMPARE(h.dialog->result(), int(QDialog::Accepted));
    QCOMPARE(h.dialog->fields().shares[3], 12.0);
    QVERIFY(h.quotes.requested.isEmpty());
}

void TestFundtallyDlg::aboutBoxOnF1()
{
    Harness h;
    QVERIFY(h.showActive());

    const QList<QAction *> actions = h.dialog->actions();
    QList<QAction *> commands = h.dialog->contextMenu()->actions();
    commands.removeIf([](const QAction *action) { return action->isSeparator(); });
    QCOMPARE(commands, actions);
    QCOMPARE(actions.size(), 5);
    QCOMPARE(actions.last()->text(), QStringLiteral("&About Fundtally..."));

    QString title;
    QStringList texts;
    bool okIsDefault = false;
    QTimer::singleShot(0, this, [&] {
        auto *about = qobject_cast<CAboutDlg *>(QApplication::activeModalWidget());
        QVERIFY(about);
        title = about->windowTitle();
        for (const QLabel *label : about->findChildren<QLabel *>())
            texts << label->text();
        const auto buttons = about->findChildren<QPushButton *>();
        okIsDefault = buttons.size() == 1 && buttons.first()->isDefault()
                      && buttons.first()->text() == QStringLiteral("OK");
        QTest::keyClick(about, Qt::Key_Return);
    });
    QTest::keyClick(h.dialog.get(), Qt::Key_F1);

    QCOMPARE(title, QStringLiteral("About Fundtally"));
    QVERIFY(texts.contains(QStringLiteral("Fundtally Version 1.0")));
    QVERIFY(okIsDefault);
    QVERIFY(h.dialog->isVisible());
}

// Beside the About box in the context menu, on its own key, which works
// from inside a box too.
void TestFundtallyDlg::quoteSourcesCommand()
{
    Harness h;
    QVERIFY(h.showActive());

    const QList<QAction *> actions = h.dialog->actions();
    QCOMPARE(actions.size(), 5);
    QAction *quoteSources = actions.first();
    QCOMPARE(quoteSources->text(), QStringLiteral("Quote &Sources..."));
    QCOMPARE(quoteSources->shortcut(), QKeySequence(QStringLiteral("Ctrl+,")));
    QVERIFY(quoteSources->shortcut() != actions.last()->shortcut());

    h.form().symbolBox(3)->setFocus();
    QTest::keyClick(h.form().symbolBox(3), Qt::Key_Comma, Qt::ControlModifier);
    QCOMPARE(h.quoteSources.parents, QList<QWidget *>{h.dialog.get()});
    QCOMPARE(h.form().symbolBox(3)->text(), QString());

    h.dialog->showQuoteSourcesDialog();
    QCOMPARE(h.quoteSources.parents.size(), 2);
    QVERIFY(h.quotes.requested.isEmpty());
}

// The menu's Currency command asks the chooser, starting at the saved code,
// and what is chosen holds for the window and is saved for the next start.
void TestFundtallyDlg::currencyCommand_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("answer"); // null: Cancel
    QTest::addColumn<QString>("start");  // empty: the locale's currency
    QTest::addColumn<QString>("nextStart");

    const QByteArray gbp("[Prices]\nReportCurrency=GBP\n");
    QTest::newRow("chosen") << gbp << "JPY" << "GBP" << "JPY";
    QTest::newRow("the same chosen") << gbp << "GBP" << "GBP" << "GBP";
    QTest::newRow("cancelled") << gbp << QString() << "GBP" << "GBP";
    // Not read, so not written over: the choice holds for this run only.
    QTest::newRow("settings file past its limit")
        << QByteArray(SettingsFile::kMaxBytes + 1, '\n') << "XAU" << "" << "";
}

void TestFundtallyDlg::currencyCommand()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, answer);
    QFETCH(QString, start);
    QFETCH(QString, nextStart);
    const QString locales = ReportCurrency::defaultCode(QLocale::system());
    const QString startCode = start.isEmpty() ? locales : start;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Fundtally.conf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(settings) == settings.size());
    file.close();
    const std::unique_ptr<QSettings> saved = SettingsFile::open(path);
    Harness h;
    keepReportCurrency(*h.dialog, *saved);
    QCOMPARE(h.dialog->reportCurrency(), startCode);
    QVERIFY(h.showActive());
    QSignalSpy changed(h.dialog.get(), &CFundtallyDlg::reportCurrencyChanged);
    if (!answer.isNull())
        h.currency.answer = answer;

    QTest::keyClick(h.form().nameBox(0), Qt::Key_F10, Qt::ShiftModifier);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_C);
    QCOMPARE(h.currency.parents, QList<QWidget *>{h.dialog.get()});
    QCOMPARE(h.currency.offered, QStringList{startCode});
    const QString now = answer.isNull() ? startCode : answer;
    QCOMPARE(h.dialog->reportCurrency(), now);
    QCOMPARE(changed.size(), now == startCode ? 0 : 1);
    QCOMPARE(h.form().statusLabel()->text().contains(QStringLiteral("cannot be saved")), nextStart.isEmpty());
    QCOMPARE(ReportCurrency::savedCode(*SettingsFile::open(path), QLocale::system()),
             nextStart.isEmpty() ? locales : nextStart);
}

void TestFundtallyDlg::menuKeysOpenTheMenuAtTheFocus_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("focusId");

    for (const auto &[name, key, modifiers] : {std::tuple{"Shift+F10", Qt::Key_F10, Qt::ShiftModifier},
                                               std::tuple{"Menu", Qt::Key_Menu, Qt::NoModifier}}) {
        QTest::addRow("%s in row 1's name", name) << int(key) << int(modifiers) << 1000;
        QTest::addRow("%s in row 6's shares", name) << int(key) << int(modifiers) << 1032;
        QTest::addRow("%s on row 20's class", name) << int(key) << int(modifiers) << 1119;
        QTest::addRow("%s on Calculate", name) << int(key) << int(modifiers) << 1133;
    }
}

void TestFundtallyDlg::menuKeysOpenTheMenuAtTheFocus()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, focusId);
    // Some desktops hide shortcuts in context menus; this one shows them.
    QGuiApplication::styleHints()->setShowShortcutsInContextMenus(false);
    Harness h;
    QVERIFY(h.showActive());
    QWidget *focused = h.form().control(focusId);
    focused->setFocus();

    QTest::keyClick(focused, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QCOMPARE(menu->pos(), focused->mapToGlobal(QPoint(0, focused->height())));
    QStringList items;
    for (const QAction *action : menu->actions()) {
        items << action->text()
                     + (action->isShortcutVisibleInContextMenu() && !action->shortcut().isEmpty()
                            ? u'\t' + action->shortcut().toString()
                            : QString());
    }
    QCOMPARE(items, (QStringList{"Quote &Sources...\tCtrl+,", "&Currency...", "", "Use &Last Known Prices",
                                 "&Forget Prices", "", "&About Fundtally...\tF1"}));

    QTest::keyClick(menu, Qt::Key_Escape);
    QVERIFY(!menu->isVisible());
    QCOMPARE(QApplication::focusWidget(), focused);
    QVERIFY(h.quoteSources.parents.isEmpty());
}

void TestFundtallyDlg::calculationFillsEveryBox()
{
    Harness h;
    h.type(0, "Total Market", "VTI", "10", 2);
    h.type(4, "Savings", "Cash", "100", 0);
    h.type(6, "Idle", "BND", "0", 1);
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    h.dialog->OnCalculate();
    QVERIFY(finished.wait());

    HoldingsForm &form = h.form();
    QCOMPARE(h.quotes.requested, QStringList{"VTI"}); // cash is priced without asking
    QCOMPARE(form.valueBox(0)->text(), QStringLiteral("125"));
    QCOMPARE(form.percentBox(0)->text(), QStringLiteral("55"));
    QCOMPARE(form.valueBox(4)->text(), QStringLiteral("100"));
    QCOMPARE(form.percentBox(4)->text(), QStringLiteral("44"));
    QCOMPARE(form.valueBox(6)->text(), QStringLiteral("0"));
    QCOMPARE(form.totalBox()->text(), QStringLiteral("225"));
    const QStringList amounts{"100", "0", "125", "0", "0"};
    const QStringList percents{"44", "0", "55", "0", "0"};
    for (int c = 0; c < AssetClassCount; ++c) {
        QCOMPARE(form.classAmountBox(c)->text(), amounts[c]);
        QCOMPARE(form.classPercentBox(c)->text(), percents[c]);
    }
    QCOMPARE(statusWithoutTime(form.statusLabel()->text()), QStringLiteral("2 holdings priced."));
    QVERIFY(form.allocationLegend()->text().contains(QStringLiteral("Stocks 55%")));
    QVERIFY(!form.progressBar()->isVisible());
    QVERIFY(form.calculateButton()->isEnabled());
}

void TestFundtallyDlg::unpricedRowsAreFlagged()
{
    Harness h;
    h.type(0, "Total Market", "VTI", "10", 2);
    h.type(1, "Gone", "NOPE", "5", 2);
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    h.dialog->OnCalculate();
    QVERIFY(finished.wait());

    QLineEdit *flagged = h.form().valueBox(1);
    QVERIFY(flagged->property("unpriced").toBool());
    QCOMPARE(flagged->toolTip(), QStringLiteral("Not priced: no price on page"));
    QVERIFY(flagged->palette().color(QPalette::Base) != h.form().valueBox(0)->palette().color(QPalette::Base));
    QVERIFY(!h.form().valueBox(0)->property("unpriced").toBool());
    QCOMPARE(h.form().totalBox()->text(), QStringLiteral("125"));
    QCOMPARE(statusWithoutTime(h.form().statusLabel()->text()),
             QStringLiteral("1 of 2 holdings has no price; the total leaves it out \u2014 no price on page: NOPE."));

    // Once the symbol is fixed the flag goes away.
    h.form().symbolBox(1)->setText(QStringLiteral("BND"));
    h.dialog->OnCalculate();
    QVERIFY(finished.wait());
    QVERIFY(!flagged->property("unpriced").toBool());
    QVERIFY(flagged->toolTip().endsWith(QStringLiteral(" a share")));
}

void TestFundtallyDlg::formIsLockedWhileCalculating()
{
    Harness h;
    h.quotes.hold = true;
    h.type(0, "Total Market", "VTI", "10", 2);
    h.type(1, "Bonds", "BND", "4", 1);
    h.dialog->show();
    h.dialog->OnCalculate();

    HoldingsForm &form = h.form();
    QVERIFY(h.dialog->isCalculating());
    QVERIFY(!form.calculateButton()->isEnabled());
    QVERIFY(!form.getProfileButton()->isEnabled());
    QVERIFY(!form.saveProfileButton()->isEnabled());
    QVERIFY(form.sharesBox(0)->isReadOnly());
    // Read-only shows: the boxes take the window's colour.
    QCOMPARE(form.nameBox(0)->palette().color(QPalette::Base), QPalette().color(QPalette::Window));
    QVERIFY(!form.classSelector(0)->isEnabled());
    QVERIFY(form.stopButton()->isVisible());
    QCOMPARE(form.statusLabel()->text(), QStringLiteral("Pricing 2 holdings \u2014 0 of 2 done"));
    QCOMPARE(form.progressBar()->value(), 0);
    QCOMPARE(form.progressBar()->text(), QStringLiteral("0 of 2 done"));

    // Both asked for at once; a second press while running starts nothing.
    h.dialog->OnCalculate();
    QCOMPARE(h.quotes.requested, (QStringList{"VTI", "BND"}));

    // A row shows its value as soon as its price is in; the shares of the
    // whole wait for every row.
    h.quotes.held.last()->settle(QuoteResult::withPrice(70.25));
    QCOMPARE(form.valueBox(1)->text(), QStringLiteral("281"));
    QCOMPARE(form.percentBox(1)->text(), QStringLiteral("0"));
    QCOMPARE(form.totalBox()->text(), QString());
    QCOMPARE(form.statusLabel()->text(), QStringLiteral("Pricing 2 holdings \u2014 1 of 2 done"));
    QCOMPARE(form.progressBar()->value(), 1);
    QCOMPARE(form.progressBar()->text(), QStringLiteral("1 of 2 done"));
    h.quotes.held.first()->settle(QuoteResult::withPrice(12.5));
    QTRY_VERIFY(!h.dialog->isCalculating());
    QVERIFY(!form.sharesBox(0)->isReadOnly());
    QCOMPARE(form.nameBox(0)->palette().color(QPalette::Base), QPalette().color(QPalette::Base));
    QVERIFY(form.classSelector(0)->isEnabled());
    QVERIFY(form.calculateButton()->isEnabled());
    QVERIFY(!form.stopButton()->isVisible());
    QCOMPARE(form.totalBox()->text(), QStringLiteral("406"));
}

void TestFundtallyDlg::stopKeepsWhatWasPriced()
{
    Harness h;
    h.quotes.hold = true;
    h.type(0, "Total Market", "VTI", "10", 2);
    h.type(1, "Bonds", "BND", "4", 1);
    h.type(2, "Savings", "Cash", "50", 0);
    h.dialog->show();
    h.dialog->OnCalculate();
    QCOMPARE(h.quotes.requested, (QStringList{"VTI", "BND"}));
    h.quotes.held.first()->settle(QuoteResult::withPrice(12.5));

    QTest::mouseClick(h.form().stopButton(), Qt::LeftButton);
    QVERIFY(!h.dialog->isCalculating());
    QVERIFY(h.dialog->isVisible());
    QCOMPARE(h.quotes.requested.size(), 2);
    QCOMPARE(h.form().totalBox()->text(), QStringLiteral("175"));
    QCOMPARE(h.form().valueBox(0)->text(), QStringLiteral("125"));
    QCOMPARE(h.form().valueBox(2)->text(), QStringLiteral("50"));
    QVERIFY(!h.form().valueBox(2)->property("notLookedUp").toBool());
    // The row in flight was never looked up: marked apart from failures.
    for (int row : {1}) {
        QVERIFY(!h.form().valueBox(row)->property("unpriced").toBool());
        QVERIFY(h.form().valueBox(row)->property("notLookedUp").toBool());
        QCOMPARE(h.form().valueBox(row)->toolTip(), QStringLiteral("not looked up: stopped"));
        QVERIFY(h.form().valueBox(row)->palette().color(QPalette::Base) != ClassPalette::unpricedBackground());
    }
    QVERIFY(!h.form().valueBox(0)->property("notLookedUp").toBool());
    QCOMPARE(h.form().valueBox(0)->toolTip(), QStringLiteral("12.50 a share"));
    QCOMPARE(statusWithoutTime(h.form().statusLabel()->text()),
             QStringLiteral("Stopped after 2 of 3 holdings; totals cover the 2 priced so far."));
    QCOMPARE(h.form().allocationChart()->chart()->title(), QStringLiteral("partial"));
    QVERIFY(h.form().allocationLegend()->text().contains(QStringLiteral("partial")));
    QCOMPARE(h.form().allocationLegend()->accessibleDescription(), QStringLiteral("partial, Cash 28%, Stocks 71%"));

    // A whole calculation afterwards is no longer partial; the greyed row
    // loses that look with its new value.
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    h.dialog->OnCalculate();
    h.quotes.held.last()->settle(QuoteResult::withPrice(70.25));
    QCOMPARE(h.form().valueBox(1)->palette().color(QPalette::Base), QPalette().color(QPalette::Base));
    h.quotes.held.at(h.quotes.held.size() - 2)->settle(QuoteResult::withPrice(12.5));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(h.form().allocationChart()->chart()->title(), QString());
    QVERIFY(!h.form().allocationLegend()->text().contains(QStringLiteral("partial")));
    QVERIFY(!h.form().valueBox(2)->property("notLookedUp").toBool());
    QCOMPARE(statusWithoutTime(h.form().statusLabel()->text()), QStringLiteral("3 holdings priced."));
}

void TestFundtallyDlg::closingMidRunEndsCleanly()
{
    Harness h;
    h.quotes.hold = true;
    h.type(0, "Total Market", "VTI", "10", 2);
    h.dialog->show();
    h.dialog->OnCalculate();
    QPointer<HeldQuoteRequest> lookup = h.quotes.held.first();

    QVERIFY(h.dialog->close());
    QVERIFY(!h.dialog->isCalculating());
    QVERIFY(lookup->isFinished());
    QCOMPARE(lookup->result().failure, QuoteFailure::Stopped);
}

void TestFundtallyDlg::destroyingMidRunEndsCleanly()
{
    Harness h;
    h.quotes.hold = true;
    h.type(0, "Total Market", "VTI", "10", 2);
    h.dialog->show();
    h.dialog->OnCalculate();
    QPointer<HeldQuoteRequest> lookup = h.quotes.held.first();

    h.dialog.reset();
    QVERIFY(lookup.isNull());
    QTest::qWait(10);
}

void TestFundtallyDlg::quoteSourcesLinkAsksForASource_data()
{
    QTest::addColumn<bool>("byKeyboard");
    QTest::newRow("mouse") << false;
    QTest::newRow("keyboard") << true;
}

void TestFundtallyDlg::quoteSourcesLinkAsksForASource()
{
    QFETCH(bool, byKeyboard);
    Harness h;
    h.quotes.hold = true;
    h.type(0, "Total Market", "VTI", "10", 2);
    h.type(1, "Savings", "Cash", "5", 0);
    QVERIFY(h.showActive());
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    QSignalSpy requested(h.dialog.get(), &CFundtallyDlg::quoteSourcesRequested);
    StatusLink *link = h.form().quoteSourcesLink();
    QVERIFY(!link->isVisible());
    h.quoteSources.hasSource = false;
    CFundtallyDlg firstStart(h.services(borrowedService(h.quotes)));
    QVERIFY(!firstStart.form().quoteSourcesLink()->isHidden());

    h.dialog->OnCalculate();
    QCOMPARE(h.quotes.held.size(), 1); // the cash row asks for nothing
    h.quotes.held.first()->settle(QuoteResult::failed(QuoteFailure::NoQuoteSource));
    QTRY_COMPARE(finished.count(), 1);

    QVERIFY(link->isVisible());
    QCOMPARE(statusWithoutTime(h.form().statusLabel()->text()),
             QStringLiteral("1 of 2 holdings has no price; the total leaves it out \u2014 no quote source configured: VTI."));
    // The chart of the cash alone cannot pass for the whole.
    QCOMPARE(h.form().allocationChart()->chart()->title(), QStringLiteral("partial"));
    QCOMPARE(link->accessibleName(), QStringLiteral("Prices need a quote source \u2014 choose one\u2026"));
    QVERIFY(link->text().contains(QStringLiteral("Prices need a quote source \u2014 choose one\u2026")));
    // The link sits beside the status, inside the window.
    const QRect inDialog(link->mapTo(h.dialog.get(), QPoint(0, 0)), link->size());
    QVERIFY(h.dialog->rect().contains(inDialog));

    h.quoteSources.saves = true;
    if (byKeyboard) {
        // Tab from the last button reaches the link; Enter follows it.
        h.form().rebalanceButton()->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(h.form().rebalanceButton(), Qt::Key_Tab);
        QTRY_VERIFY(link->hasFocus());
        QTest::keyClick(link, Qt::Key_Return);
    } else {
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(link->fontMetrics().averageCharWidth() * 3, link->height() / 2));
    }
    QCOMPARE(requested.count(), 1);
    QCOMPARE(h.quoteSources.parents, QList<QWidget *>{h.dialog.get()});
    // A source saved, the link has done its work.
    QVERIFY(!link->isVisible());

    h.quotes.hold = false;
    h.quotes.prices.insert(QStringLiteral("Cash"), 1.0);
    h.dialog->OnCalculate();
    QVERIFY(finished.wait());
    QVERIFY(!link->isVisible());
    QCOMPARE(requested.count(), 1);
}

void TestFundtallyDlg::statusNameFollowsEveryChange()
{
    Harness h;
    h.quotes.hold = true;
    h.type(0, "Total Market", "VTI", "10", 2);
    h.type(1, "Bonds", "BND", "4", 1);
    h.dialog->show();
    StatusLine *status = h.form().statusLabel();
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(status);
    QVERIFY(iface);

    h.dialog->OnCalculate();
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Pricing 2 holdings \u2014 0 of 2 done"));
    h.quotes.held.first()->settle(QuoteResult::withPrice(12.5));
    QTRY_COMPARE(iface->text(QAccessible::Name), QStringLiteral("Pricing 2 holdings \u2014 1 of 2 done"));
    h.quotes.held.last()->settle(QuoteResult::withPrice(70.25));
    QTRY_COMPARE(statusWithoutTime(iface->text(QAccessible::Name)), QStringLiteral("2 holdings priced."));

    // The chart key says its entries, not only its name.
    QAccessibleInterface *key = QAccessible::queryAccessibleInterface(h.form().allocationLegend());
    QVERIFY(key);
    QCOMPARE(key->text(QAccessible::Name), QStringLiteral("Asset allocation chart key"));
    QCOMPARE(key->text(QAccessible::Description), QStringLiteral("Bonds 69%, Stocks 30%"));
}

void TestFundtallyDlg::everyStatusIsAnnounced()
{
    AccessibleNoticeRecorder notices;
    QVERIFY(QAccessible::isActive());
    Harness h;
    h.type(0, "Total Market", "VTI", "10", 2);
    h.type(1, "Bonds", "BND", "4", 1);
    QVERIFY(h.showActive());
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    StatusLine *status = h.form().statusLabel();

    h.dialog->OnCalculate();
    QVERIFY(finished.wait());
    // The progress before each answer but the last, then the result.
    const auto announced = [&] {
        QStringList names = notices.announcedNames(status);
        for (QString &name : names)
            name = statusWithoutTime(name);
        return names;
    };
    const QStringList firstRun = announced();
    QCOMPARE(firstRun, (QStringList{QStringLiteral("Pricing 2 holdings \u2014 0 of 2 done"),
                                    QStringLiteral("Pricing 2 holdings \u2014 1 of 2 done"),
                                    QStringLiteral("2 holdings priced.")}));

    // The same result again is announced again.
    h.dialog->OnCalculate();
    QVERIFY(finished.wait());
    QCOMPARE(announced(), firstRun + firstRun);
    QVERIFY(notices.count(h.form().allocationLegend(), QAccessible::DescriptionChanged) > 0);
}

void TestFundtallyDlg::manyFailuresAreElidedNotLost()
{
    Harness h;
    QStringList symbols;
    for (int row = 0; row < 10; ++row) {
        symbols << QStringLiteral("GONE%1").arg(row);
        h.type(row, "Gone", symbols.last(), "1", 2);
    }
    h.type(10, "Total Market", "VTI", "10", 2);
    QVERIFY(h.showActive());
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    h.dialog->OnCalculate();
    QVERIFY(finished.wait());

    StatusLine *status = h.form().statusLabel();
    const QString whole = status->text();
    QCOMPARE(statusWithoutTime(whole),
             QStringLiteral("10 of 11 holdings have no price; the total leaves them out \u2014 no price on page: %1.")
                 .arg(symbols.join(QStringLiteral(", "))));
    QVERIFY(status->isElided());
    QCOMPARE(status->toolTip(), whole);
    QCOMPARE(status->accessibleDescription(), whole);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(status);
    QCOMPARE(iface->text(QAccessible::Name), whole);
    QCOMPARE(iface->text(QAccessible::Description), whole);
}

// A failed lookup answered with the last price found: counted in every
// figure, marked apart, and said in the box, the status line, the chart's
// key and the Rebalance dialog.
void TestFundtallyDlg::lastKnownPriceValuesTheRow()
{
    Harness h;
    h.quotes.hold = true;
    h.type(0, "Total Market", "VTI", "10", 2);
    h.type(1, "Bonds", "BND", "4", 1);
    QVERIFY(h.showActive());
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    h.dialog->OnCalculate();
    QuoteResult stored = QuoteResult::failed(QuoteFailure::TimedOut);
    stored.price = 70.25;
    stored.currency = QStringLiteral("USD");
    stored.source = QStringLiteral("Prices A");
    stored.fetched = QDateTime(QDate(2026, 11, 20), QTime(12, 0), Qt::UTC);
    stored.lastKnown = true;
    h.quotes.held.first()->settle(QuoteResult::withPrice(12.5));
    h.quotes.held.last()->settle(stored);
    QVERIFY(finished.count() == 1 || finished.wait());

    // 10 x 12.5 + 4 x 70.25 = 125 + 281 = 406
    ComputedBox *box = h.form().valueBox(1);
    QCOMPARE(box->text(), QStringLiteral("281"));
    QCOMPARE(h.form().totalBox()->text(), QStringLiteral("406"));
    QCOMPARE(h.form().classAmountBox(1)->text(), QStringLiteral("281"));
    QVERIFY(box->property("lastKnown").toBool());
    QVERIFY(!box->property("unpriced").toBool());
    QCOMPARE(box->palette().color(QPalette::Base), ClassPalette::lastKnownBackground());
    const QString note = box->accessibleDescription();
    QVERIFY(note.startsWith(QStringLiteral("Last known price 70.25 USD from Prices A, 20 Nov 2026 ")));
    QVERIFY(note.endsWith(QStringLiteral("; today's lookup failed: timed out")));
    // The tooltip is the note in lines a reader's eye can follow.
    QCOMPARE(box->toolTip().replace(u'\n', u' '), note);
    for (const QString &line : box->toolTip().split(u'\n'))
        QVERIFY(line.size() <= 60);
    QVERIFY(statusWithoutTime(h.form().statusLabel()->text())
                .startsWith(QStringLiteral("1 holding is valued at its last known price (from 20 Nov 2026). ")));
    QVERIFY(h.form().allocationLegend()->accessibleDescription().startsWith(QStringLiteral("with last known prices")));

    RebalanceDialog rebalance(h.dialog->lastCalculation(), TargetPercents{0, 50, 50, 0, 0});
    QCOMPARE(rebalance.lastKnownLabel()->text(),
             QStringLiteral("Valued at the last known price, as today's lookup failed: BND"));
    QVERIFY(rebalance.coverageLabel()->isHidden());
}

QTEST_MAIN(TestFundtallyDlg)
#include "tst_fundtallydlg.moc"
