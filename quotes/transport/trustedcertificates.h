#pragma once

#include "certificatefile.h"

#include <QByteArray>
#include <QStringList>

// The certificates trusted besides the system store, as one PEM text: every
// certificate block in the named files and in the files of the named
// directories, each once. Other text in those files is left out, and files
// that cannot be read, or are longer than CertificateFile::kMaxFileBytes, are
// skipped. Empty when there is none.

QByteArray trustedCertificatePem(const QStringList &files, const QStringList &directories);
