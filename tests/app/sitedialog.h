#pragma once

#include "dialogfakes.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "loopbackquoteserver.h"
#include "networkquotesource.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <functional>
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
    CountingQuoteSiteChooser quoteSite;
    ScriptedSaveQuestion saveChanges;
    std::unique_ptr<CFundtallyDlg> dialog;

    // `adjust` may change the client's settings for the loopback site.
    explicit SiteDialog(const std::function<void(QuoteSiteSettings &)> &adjust = {})
    {
        QVERIFY(server.start());
        server.setPrice(QStringLiteral("VTI"), "12.50");
        server.setPrice(QStringLiteral("BND"), "70.25");
        server.setPrice(QStringLiteral("BRK.B"), "1,234.50");
        QuoteSiteSettings settings = server.clientSettings();
        if (adjust)
            adjust(settings);
        quotes = std::make_unique<NetworkQuoteSource>(settings);
        dialog = std::make_unique<CFundtallyDlg>(DialogServices{*quotes, prompt, files, messages, quoteSite, saveChanges});
    }

    HoldingsForm &form() { return dialog->form(); }

    void type(int row, const QString &symbol, const QString &shares, int assetClass)
    {
        form().nameBox(row)->setText(QStringLiteral("Holding %1").arg(row));
        form().symbolBox(row)->setText(symbol);
        form().sharesBox(row)->setText(shares);
        form().classSelector(row)->setCurrentIndex(assetClass);
    }

    QStringList snapshot() { return formSnapshot(form()); }
};
