#pragma once

#include "quotesitechooser.h"
#include "quotesiteresolution.h"
#include "quotesitestore.h"
#include "quotesourcefactory.h"

#include <QProcessEnvironment>

#include <memory>

class CertificateFileChooser;
class QSettings;
class QuoteSiteDialog;
class QuoteSource;
class SwitchableQuoteSource;

// The quote site as the program uses it: read from the user's settings at
// start, resolved against the environment and the build, and changed
// through the quote site dialog. Calculations price through quotes(), which
// moves to a new site when the user saves one.
class QuoteSiteController final : public QuoteSiteChooser
{
public:
    // `makeSource` gives the transport for each site in use and for the
    // dialog's tests.
    QuoteSiteController(QSettings &settings, QProcessEnvironment environment,
                        CertificateFileChooser &certificates, QuoteSourceFactory makeSource,
                        QString builtInHost = builtInQuoteHost());
    ~QuoteSiteController() override;

    QuoteSource &quotes();
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
    const QuoteSourceFactory m_makeSource;
    const QString m_builtInHost;
    StoredQuoteSiteRead m_saved;
    QuoteSiteResolution m_resolution;
    std::unique_ptr<SwitchableQuoteSource> m_quotes;
    bool m_startupMessageTaken = false;
};
