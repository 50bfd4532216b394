#pragma once

#include "assetclass.h"
#include "dialogfakes.h"
#include "dialogservices.h"
#include "fakequoteservice.h"
#include "fundtallydlg.h"
#include "holdingsform.h"

#include <QApplication>
#include <QByteArray>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>

// The status line after a run without the run's time ("14:02 \u2014 "),
// which a test cannot know beforehand.
inline QString statusWithoutTime(const QString &text)
{
    static const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d \u2014 "));
    QString rest = text;
    return rest.remove(time);
}

// Everything the holdings dialog asks of the outside world but its quotes.
struct DialogFakes
{
    CountingPrompt prompt;
    ScriptedFileChooser files;
    RecordingMessages messages;
    CountingQuoteSourcesChooser quoteSources;
    ScriptedCurrencyChooser currency;
    ScriptedSaveQuestion saveChanges;

    DialogServices services(std::shared_ptr<QuoteService> quotes)
    {
        return DialogServices{[quotes] { return quotes; }, prompt, files, messages, quoteSources, currency,
                              saveChanges};
    }
};

// The holdings dialog over the fakes, priced by a `Quotes` made from the
// constructor's arguments: a table of fake prices, or a real service pointed
// at a loopback site. The dialog is made last, so it goes first.
template <typename Quotes = FakeQuoteService>
struct DialogHarness : DialogFakes
{
    template <typename... QuoteArguments>
    explicit DialogHarness(QuoteArguments &&...quoteArguments)
        : quotes(std::forward<QuoteArguments>(quoteArguments)...)
        , dialog(std::make_unique<CFundtallyDlg>(services(borrowedService(quotes))))
    {
    }
    DialogHarness(const DialogHarness &) = delete;
    DialogHarness &operator=(const DialogHarness &) = delete;

    Quotes quotes;
    std::unique_ptr<CFundtallyDlg> dialog;

    HoldingsForm &form() { return dialog->form(); }
    QStringList snapshot() const { return formSnapshot(dialog->form()); }

    void type(int row, const QString &name, const QString &symbol, const QString &shares,
              int assetClass = NoAssetClass)
    {
        form().nameBox(row)->setText(name);
        form().symbolBox(row)->setText(symbol);
        form().sharesBox(row)->setText(shares);
        form().classSelector(row)->setCurrentIndex(assetClass);
    }

    // A row whose name does not matter to the test: "Holding <row>".
    void type(int row, const QString &symbol, const QString &shares, int assetClass)
    {
        type(row, QStringLiteral("Holding %1").arg(row), symbol, shares, assetClass);
    }

    // Keyboard tests need the window to have the focus, not just be shown.
    bool showActive()
    {
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        return QTest::qWaitForWindowActive(dialog.get());
    }
};

// A throw-away folder for the profiles a test opens and saves.
struct ProfileFolder
{
    QTemporaryDir dir;

    // The written file's path; empty when it could not be written.
    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return path;
    }
};
