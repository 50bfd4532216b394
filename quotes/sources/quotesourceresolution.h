#pragma once

#include "quoteresult.h"
#include "quotesitestore.h"
#include "quotesource.h"
#include "quotesourcestore.h"
#include "ratesource.h"

#include <QHash>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>

// Where the quote sources in use come from, first match winning: a sources
// file the environment names, the quote site host it names (one page
// source), the user's saved list, the quote site the user saved before
// there were sources (one page source), the host the program was built with.
enum class QuoteSourcesOrigin { SourcesFile, EnvironmentHost, Saved, SavedSite, BuiltIn, None };

namespace QuoteSourcesEnvironment {
inline constexpr char kSourcesFileVariable[] = "FUNDTALLY_QUOTE_SOURCES";
} // namespace QuoteSourcesEnvironment

// The quote site as the environment names it: one page source, and the
// certificates trusted for it (SSL_CERT_DIR's folders listed as in PATH).
namespace QuoteSiteEnvironment {
inline constexpr char kHostVariable[] = "FUNDTALLY_QUOTE_HOST";
inline constexpr char kCertificateFileVariable[] = "SSL_CERT_FILE";
inline constexpr char kCertificateDirectoriesVariable[] = "SSL_CERT_DIR";
} // namespace QuoteSiteEnvironment

struct QuoteSourcesResolution {
    QList<QuoteSource> sources;   // in the order they are asked
    QList<RateSource> rates;      // the sources file's, else the saved ones; none: the built-in one
    QuoteSourcesOrigin origin = QuoteSourcesOrigin::None;
    // SSL_CERT_DIR's folders, trusted for a single page source as they were
    // for the quote site; SSL_CERT_FILE is that source's certificate.
    QStringList certificateDirectories;
    // Why no source is asked, when none is: a sources file that cannot be
    // used, or none set up at all.
    QuoteFailure noSources = QuoteFailure::NoQuoteSource;
    // For the user: why the sources file was refused (naming the file, the
    // source and the member); empty otherwise. The saved sources ignored are
    // their store's to tell (StoredQuoteSourcesRead::problems).
    QString message;
};

// The sources a run uses. `saved` is what QuoteSourceStore::read found;
// `savedSite` holds only values fit for use. An empty variable counts as
// not set. A sources file is read here, and nothing is taken from one with
// any problem.
QuoteSourcesResolution resolveQuoteSources(const QProcessEnvironment &environment,
                                           const StoredQuoteSourcesRead &saved,
                                           const StoredQuoteSite &savedSite, const QString &builtInHost);

// The host given to the build (-DFUNDTALLY_QUOTE_HOST=...); empty for none.
QString builtInQuoteHost();
