#pragma once

#include "dialogfakes.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "loopbackquoteserver.h"
#include "networkquotesource.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <memory>

// The dialog priced by a real quote site on loopback, with fakes for the
// file choices and messages. VTI is 12.50, BND 70.25 and BRK.B 1,234.50.
struct SiteDialog
{
    LoopbackQuoteServer server;
    std::unique_ptr<NetworkQuoteSource> quotes;
    CountingPrompt prompt;
    ScriptedFileChooser files;
    RecordingMessages messages;
    std::unique_ptr<CFundtallyDlg> dialog;

    // Settings with a host of their own replace the loopback site's.
    explicit SiteDialog(QuoteSiteSettings settings = {})
    {
        QVERIFY(server.start());
        server.setPrice(QStringLiteral("VTI"), "12.50");
        server.setPrice(QStringLiteral("BND"), "70.25");
        server.setPrice(QStringLiteral("BRK.B"), "1,234.50");
        if (settings.host.isEmpty())
            settings = server.clientSettings();
        quotes = std::make_unique<NetworkQuoteSource>(settings);
        dialog = std::make_unique<CFundtallyDlg>(DialogServices{*quotes, prompt, files, messages});
    }

    HoldingsForm &form() { return dialog->form(); }

    void type(int row, const QString &symbol, const QString &shares, int assetClass)
    {
        form().nameBox(row)->setText(QStringLiteral("Holding %1").arg(row));
        form().symbolBox(row)->setText(symbol);
        form().sharesBox(row)->setText(shares);
        form().classSelector(row)->setCurrentIndex(assetClass);
    }

    // Every box's text and selection, to tell whether anything changed.
    QStringList snapshot()
    {
        QStringList texts;
        for (QLineEdit *box : form().findChildren<QLineEdit *>())
            texts << box->text();
        for (QComboBox *selector : form().findChildren<QComboBox *>())
            texts << QString::number(selector->currentIndex());
        return texts;
    }
};
