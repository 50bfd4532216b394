#pragma once

#include "quotesitechooser.h"
#include "quotesiteresolution.h"
#include "quotesitestore.h"
#include "quoteservicefactory.h"

#include <QProcessEnvironment>

#include <memory>

class CertificateFileChooser;
class QSettings;
class QuoteSiteDialog;
class QuoteService;

// The quote site as the program uses it: read from the user's settings at
// start, resolved against the environment and the build, and changed
// through the quote site dialog. Each calculation prices through the
// service quotes() gives when it starts; a site the user saves gives a new
// one, while a calculation that is running keeps its own.
class QuoteSiteController final : public QuoteSiteChooser
{
public:
    // `makeService` gives the service for each site in use and for the
    // dialog's tests.
    QuoteSiteController(QSettings &settings, QProcessEnvironment environment,
                        CertificateFileChooser &certificates, QuoteServiceFactory makeService,
                        QString builtInHost = builtInQuoteHost());
    ~QuoteSiteController() override;

    std::shared_ptr<QuoteService> quotes() const { return m_quotes; }
    const QuoteSiteResolution &resolution() const { return m_resolution; }

    // Why saved values were ignored, with what to do about it: the first
    // time it is asked for, and empty ever after.
    QString takeStartupMessage();

    // The dialog, saving through this controller; chooseQuoteSite() runs it.
    std::unique_ptr<QuoteSiteDialog> makeDialog(QWidget *parent);
    void chooseQuoteSite(QWidget *parent) override;

private:
    QString save(const StoredQuoteSite &site);

    QSettings &m_settings;
    const QProcessEnvironment m_environment;
    CertificateFileChooser &m_certificates;
    const QuoteServiceFactory m_makeService;
    const QString m_builtInHost;
    StoredQuoteSiteRead m_saved;
    QuoteSiteResolution m_resolution;
    std::shared_ptr<QuoteService> m_quotes;
    bool m_startupMessageTaken = false;
};
