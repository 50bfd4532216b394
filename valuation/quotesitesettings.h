#pragma once

#include <QNetworkProxy>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// Where and how quote pages are fetched.
struct QuoteSiteSettings {
    QString host;                       // "name" or "name:port"; empty = not configured
    QSslConfiguration ssl;              // trust store used for verification (always on)
    std::chrono::milliseconds transferTimeout{20000}; // gives up after this long without progress
    std::optional<QNetworkProxy> proxy; // unset = the system's proxy settings
    // PEM files, and directories of them, trusted besides the system's store.
    QStringList trustedCertificateFiles;
    QStringList trustedCertificateDirectories;

    // The host comes from the FUNDTALLY_QUOTE_HOST environment variable, else
    // from the value the program was built with. Trust is the system's
    // certificate store plus the certificates in the files named by
    // SSL_CERT_FILE and in the directories named by SSL_CERT_DIR.
    static QuoteSiteSettings fromEnvironment();
};
