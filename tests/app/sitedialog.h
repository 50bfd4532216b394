#pragma once

#include "dialogharness.h"
#include "loopbackquoteserver.h"
#include "httpquoteservice.h"

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
    QuoteSiteSettings clientSettings(const std::function<void(QuoteSiteSettings &)> &adjust) const
    {
        QuoteSiteSettings settings = server.clientSettings();
        if (adjust)
            adjust(settings);
        return settings;
    }
};

// The dialog priced by a real quote site on loopback, with fakes for the
// file choices and messages.
struct SiteDialog : LoopbackSite, DialogHarness<HttpQuoteService>
{
    explicit SiteDialog(const std::function<void(QuoteSiteSettings &)> &adjust = {})
        : DialogHarness<HttpQuoteService>(clientSettings(adjust))
    {
    }
};
