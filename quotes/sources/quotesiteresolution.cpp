#include "quotesiteresolution.h"

#include <QDir>

using namespace QuoteSiteEnvironment;

QuoteSiteResolution resolveQuoteSite(const QProcessEnvironment &environment,
                                     const StoredQuoteSite &stored, const QString &builtInHost)
{
    QuoteSiteResolution resolution;
    resolution.environmentHost = environment.value(QLatin1String(kHostVariable));
    if (!resolution.environmentHost.isEmpty()) {
        resolution.host = resolution.environmentHost;
        resolution.hostOrigin = QuoteSiteOrigin::Environment;
    } else if (!stored.host.isEmpty()) {
        resolution.host = stored.host;
        resolution.hostOrigin = QuoteSiteOrigin::Stored;
    } else if (!builtInHost.isEmpty()) {
        resolution.host = builtInHost;
        resolution.hostOrigin = QuoteSiteOrigin::BuiltIn;
    }

    const QString certificateFile = environment.value(QLatin1String(kCertificateFileVariable));
    const QStringList certificateDirectories =
        environment.value(QLatin1String(kCertificateDirectoriesVariable))
            .split(QDir::listSeparator(), Qt::SkipEmptyParts);
    if (!certificateFile.isEmpty() || !certificateDirectories.isEmpty()) {
        if (!certificateFile.isEmpty())
            resolution.settings.trustedCertificateFiles = {certificateFile};
        resolution.settings.trustedCertificateDirectories = certificateDirectories;
        resolution.trustOrigin = QuoteSiteOrigin::Environment;
    } else if (!stored.certificateFile.isEmpty()) {
        resolution.settings.trustedCertificateFiles = {stored.certificateFile};
        resolution.trustOrigin = QuoteSiteOrigin::Stored;
    }
    return resolution;
}

QString builtInQuoteHost()
{
    return QStringLiteral(FUNDTALLY_BUILD_QUOTE_HOST);
}
