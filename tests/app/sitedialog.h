#pragma once

#include "dialogharness.h"
#include "loopbackquoteserver.h"
#include "pagesource.h"

#include <QTest>

#include <functional>

// The loopback quote site, up before the quote source that is pointed at it.
// VTI is 12.50, BND 70.25 and BRK.B 1,234.50.
struct LoopbackSite
{
    LoopbackQuoteServer server;

    LoopbackSite()
    {
        QVERIFY(server.start());
        server.setPrice(QStringLiteral("VTI"), "12.50");
        server.setPrice(QStringLiteral("BND"), "70.25");
        server.setPrice(QStringLiteral("BRK.B"), "1,234.50");
    }

    // `adjust` may change the client's settings for the site.
    TransferSettings clientSettings(const std::function<void(TransferSettings &)> &adjust) const
    {
        TransferSettings settings = server.clientSettings();
        if (adjust)
            adjust(settings);
        return settings;
    }
};

// The dialog priced by a real quote site on loopback, with fakes for the
// file choices and messages.
// `host` stands in for the site's own.
struct SiteDialog : LoopbackSite, DialogHarness<PageSourceService>
{
    explicit SiteDialog(const std::function<void(TransferSettings &)> &adjust = {}, const QString &host = {})
        : DialogHarness<PageSourceService>(host.isEmpty() ? server.host() : host, clientSettings(adjust))
    {
    }
};
