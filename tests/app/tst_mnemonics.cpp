// Every window's Alt letters, walked over its buttons, menu items and the
// labels of its boxes: each button and menu item has one, but the button
// Escape presses and a window's only button; none is taken twice in a
// window; and one pressed from a box presses its button rather than typing
// into the box.

#include "aboutdlg.h"
#include "commandmenu.h"
#include "currencydialog.h"
#include "dialogharness.h"
#include "fittingform.h"
#include "quotesourceeditor.h"
#include "quotesourcesdialog.h"
#include "rebalancedialog.h"
#include "savechangesquestion.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

// The windows of the quote sources and the fakes they work with.
struct SourceWindows {
    ScriptedCertificateChooser certificates;
    ScriptedSourcesFileChooser files;
    MemoryKeyStore keys;

    QuoteSourcesDialog *sourcesDialog()
    {
        return new QuoteSourcesDialog(
            {}, keys, files, certificates, [](const QList<QuoteSource> &, const QList<RateSource> &) { return QString(); },
            [] { return QString(); });
    }
    QuoteSourceEditor *editor(SourceRole role = SourceRole::Quotes)
    {
        QuoteSource source;
        source.name = QStringLiteral("Prices");
        source.url = QStringLiteral("https://prices.example/{SYMBOL}");
        return new QuoteSourceEditor(role, source, {}, {}, certificates, {});
    }
};

bool escapePresses(const QAbstractButton *button)
{
    const auto *box = qobject_cast<const QDialogButtonBox *>(button->parentWidget());
    return box && box->buttonRole(const_cast<QAbstractButton *>(button)) == QDialogButtonBox::RejectRole;
}

// The window's Alt letters, in no set order; `missing` gets the texts that
// want one.
QStringList altLetters(QWidget *window, QStringList &missing)
{
    QStringList letters;
    const auto add = [&](const QString &text, bool wanted) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty())
            letters << key.toString();
        else if (wanted)
            missing << text;
    };
    if (auto *menu = qobject_cast<QMenu *>(window)) {
        for (const QAction *action : menu->actions())
            add(action->text(), !action->isSeparator());
        return letters;
    }
    const QList<QAbstractButton *> buttons = window->findChildren<QAbstractButton *>();
    for (const QAbstractButton *button : buttons)
        add(button->text(), buttons.size() > 1 && !escapePresses(button));
    // A label's letter leads to its box; a label without one is read, not typed at.
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label->buddy())
            add(label->text(), false);
    }
    return letters;
}

} // namespace

class TestMnemonics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyWindow_data();
    void everyWindow();
    void pressedFromABox_data();
    void pressedFromABox();
};

void TestMnemonics::everyWindow_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("letters");

    QTest::newRow("holdings") << "holdings" << "BCFGST";
    QTest::newRow("holdings, scrolling") << "scrolling" << "BCFGST";
    QTest::newRow("context menu") << "menu" << "ACFLS";
    QTest::newRow("save question") << "question" << "DS";
    QTest::newRow("quote sources") << "sources" << "ADEFGINOPRSTUVWX";
    QTest::newRow("quote source") << "source" << "ABCDEFHIKLMNOPQRSTUYZ";
    QTest::newRow("rate source") << "rate source" << "ABCDEFHIKLMNOPQRSTUZ";
    QTest::newRow("rebalance") << "rebalance" << "BIOT";
    QTest::newRow("currency") << "currency" << "OS";
    QTest::newRow("about") << "about" << "";
}

void TestMnemonics::everyWindow()
{
    QFETCH(QString, window);
    QFETCH(QString, letters);

    DialogHarness<> h;
    SourceWindows sources;
    std::unique_ptr<QWidget> other;
    QWidget *walked = h.dialog.get();
    if (window == QLatin1String("scrolling"))
        h.dialog->formView().setScrolls(true);
    else if (window == QLatin1String("menu"))
        walked = h.dialog->contextMenu();
    else if (window == QLatin1String("question"))
        other = createSaveChangesBox(nullptr, SetAsideReason::Closing);
    else if (window == QLatin1String("sources"))
        other.reset(sources.sourcesDialog());
    else if (window == QLatin1String("source"))
        other.reset(sources.editor());
    else if (window == QLatin1String("rate source"))
        other.reset(sources.editor(SourceRole::Rates));
    else if (window == QLatin1String("rebalance"))
        other = std::make_unique<RebalanceDialog>(RebalanceBasis{}, std::nullopt);
    else if (window == QLatin1String("currency"))
        other = std::make_unique<CurrencyDialog>(QStringLiteral("EUR"));
    else if (window == QLatin1String("about"))
        other = std::make_unique<CAboutDlg>();
    if (other)
        walked = other.get();

    QStringList missing;
    QStringList found = altLetters(walked, missing);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u',')));
    std::sort(found.begin(), found.end());
    QStringList expected;
    for (const QChar letter : letters)
        expected << QStringLiteral("Alt+") + letter;
    QCOMPARE(found, expected);
}

void TestMnemonics::pressedFromABox_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("key");

    QTest::newRow("OK from a source's sample symbol") << "source" << int(Qt::Key_O);
    QTest::newRow("OK from a rebalance target") << "rebalance" << int(Qt::Key_O);
    QTest::newRow("OK from the currency search") << "currency" << int(Qt::Key_O);
    QTest::newRow("Get Profile from a name") << "holdings" << int(Qt::Key_G);
}

void TestMnemonics::pressedFromABox()
{
    QFETCH(QString, window);
    QFETCH(int, key);

    DialogHarness<> h;
    SourceWindows sources;
    std::unique_ptr<QDialog> dialog;
    QLineEdit *box = h.form().nameBox(0);
    if (window == QLatin1String("source")) {
        auto *editor = sources.editor();
        dialog.reset(editor);
        box = editor->symbolBox();
    } else if (window == QLatin1String("rebalance")) {
        auto *rebalance = new RebalanceDialog(RebalanceBasis{}, std::nullopt);
        dialog.reset(rebalance);
        box = rebalance->targetBox(0);
    } else if (window == QLatin1String("currency")) {
        auto *currency = new CurrencyDialog(QStringLiteral("EUR"));
        dialog.reset(currency);
        box = currency->searchBox();
    }
    QDialog *shown = dialog ? dialog.get() : h.dialog.get();
    shown->show();
    QApplication::setActiveWindow(shown);
    QVERIFY(QTest::qWaitForWindowActive(shown));
    box->setFocus();

    QTest::keyClick(box, Qt::Key(key), Qt::AltModifier);
    // A button pressed by its letter is seen pressed for a moment first.
    if (dialog)
        QTRY_COMPARE(dialog->result(), int(QDialog::Accepted));
    else
        QTRY_COMPARE(h.files.openAsked, 1);
    QVERIFY(box->text().isEmpty());
}

QTEST_MAIN(TestMnemonics)
#include "tst_mnemonics.moc"
