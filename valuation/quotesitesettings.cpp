#include "quotesitesettings.h"

#include <QDir>
#include <QList>
#include <QSslCertificate>

namespace {

QString configuredHost()
{
    const QString fromEnvironment = qEnvironmentVariable("FUNDTALLY_QUOTE_HOST");
    return fromEnvironment.isEmpty() ? QStringLiteral(FUNDTALLY_BUILD_QUOTE_HOST) : fromEnvironment;
}

QList<QSslCertificate> certificatesInFile(const QString &path)
{
    return QSslCertificate::fromPath(path, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
}

// SSL_CERT_DIR is a list of directories, separated as in PATH.
QList<QSslCertificate> certificatesInDirectories(const QString &directoryList)
{
    QList<QSslCertificate> certificates;
    const QStringList directories = directoryList.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString &directory : directories) {
        const QDir dir(directory);
        const QStringList files = dir.entryList(QDir::Files | QDir::Readable);
        for (const QString &file : files)
            certificates += certificatesInFile(dir.filePath(file));
    }
    return certificates;
}

// Qt reads the system store by itself but, unlike OpenSSL's own tools, does
// not look at SSL_CERT_FILE and SSL_CERT_DIR.
QSslConfiguration trustConfiguration()
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    const QString certFile = qEnvironmentVariable("SSL_CERT_FILE");
    const QString certDirs = qEnvironmentVariable("SSL_CERT_DIR");
    QList<QSslCertificate> extra;
    if (!certFile.isEmpty())
        extra += certificatesInFile(certFile);
    if (!certDirs.isEmpty())
        extra += certificatesInDirectories(certDirs);
    if (!extra.isEmpty())
        configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() + extra);
    return configuration;
}

} // namespace

QuoteSiteSettings QuoteSiteSettings::fromEnvironment()
{
    QuoteSiteSettings settings;
    settings.host = configuredHost();
    settings.ssl = trustConfiguration();
    return settings;
}
