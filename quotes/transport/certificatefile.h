#pragma once

#include <QByteArrayView>
#include <QString>

// A file of PEM certificates that the user names to trust besides the
// system's store, checked before it is kept: the transport would otherwise
// fail every lookup on it with a reason that does not name the file.
namespace CertificateFile {

// Larger than any certificate bundle a system ships; a bigger file is not one.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

// The certificates in `text`: blocks between "-----BEGIN CERTIFICATE-----"
// and "-----END CERTIFICATE-----" whose base64 decodes to one whole DER
// structure. Other blocks (keys, requests) and damaged ones do not count.
int countPemCertificates(QByteArrayView text);

// Why the file at `path` cannot be trusted from, for the user; empty when it
// exists, is readable and holds at least one certificate.
QString problem(const QString &path);

} // namespace CertificateFile
