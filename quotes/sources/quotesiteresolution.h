#pragma once

#include "transfersettings.h"
#include "quotesitestore.h"

#include <QProcessEnvironment>
#include <QString>

// Where the quote site in use comes from. The environment wins when it sets
// a value, then what the user saved, then the host the program was built
// with; trust follows the same order, without a built-in part.
enum class QuoteSiteOrigin { Environment, Stored, BuiltIn, None };

namespace QuoteSiteEnvironment {
inline constexpr char kHostVariable[] = "FUNDTALLY_QUOTE_HOST";
inline constexpr char kCertificateFileVariable[] = "SSL_CERT_FILE";
inline constexpr char kCertificateDirectoriesVariable[] = "SSL_CERT_DIR"; // listed as in PATH
} // namespace QuoteSiteEnvironment

struct QuoteSiteResolution {
    QString host;              // "name", "name:port", "[v6]:port"; empty = none
    TransferSettings settings; // the trust that goes with it
    QuoteSiteOrigin hostOrigin = QuoteSiteOrigin::None;
    // Environment: SSL_CERT_FILE or SSL_CERT_DIR; Stored: the saved
    // certificate file; None: the system's store alone.
    QuoteSiteOrigin trustOrigin = QuoteSiteOrigin::None;
    QString environmentHost; // FUNDTALLY_QUOTE_HOST when set
};

// The settings a calculation uses. `stored` holds only values fit for use
// (see QuoteSiteStore::read). An empty variable counts as not set.
QuoteSiteResolution resolveQuoteSite(const QProcessEnvironment &environment,
                                     const StoredQuoteSite &stored, const QString &builtInHost);

// The host given to the build (-DFUNDTALLY_QUOTE_HOST=...); empty for none.
QString builtInQuoteHost();
