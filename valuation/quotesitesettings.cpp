#include "quotesitesettings.h"

#include <QDir>

namespace {

QString configuredHost()
{
    const QString fromEnvironment = qEnvironmentVariable("FUNDTALLY_QUOTE_HOST");
    return fromEnvironment.isEmpty() ? QStringLiteral(FUNDTALLY_BUILD_QUOTE_HOST) : fromEnvironment;
}

} // namespace

QuoteSiteSettings QuoteSiteSettings::fromEnvironment()
{
    QuoteSiteSettings settings;
    settings.host = configuredHost();
    const QString certFile = qEnvironmentVariable("SSL_CERT_FILE");
    if (!certFile.isEmpty())
        settings.trustedCertificateFiles.append(certFile);
    settings.trustedCertificateDirectories =
        qEnvironmentVariable("SSL_CERT_DIR").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    return settings;
}
