#include "certificatefile.h"
#include "quotedtext.h"


#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace CertificateFile {
namespace {

constexpr QByteArrayView kBegin = "-----BEGIN CERTIFICATE-----";
constexpr QByteArrayView kEnd = "-----END CERTIFICATE-----";
constexpr unsigned char kSequenceTag = 0x30;

QString tr(const char *text)
{
    return QCoreApplication::translate("CertificateFile", text);
}

QByteArray withoutWhiteSpace(QByteArrayView text)
{
    QByteArray compact;
    compact.reserve(text.size());
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            compact.append(c);
    }
    return compact;
}

// A DER SEQUENCE that fills `der` exactly, holding another SEQUENCE first
// (a certificate's signed part).
bool isWholeSequence(const QByteArray &der)
{
    if (der.size() < 4 || static_cast<unsigned char>(der[0]) != kSequenceTag)
        return false;
    const auto first = static_cast<unsigned char>(der[1]);
    qsizetype header = 2;
    qint64 length = first;
    if (first & 0x80) {
        const int count = first & 0x7f;
        if (count < 1 || count > 4 || der.size() < 2 + count)
            return false;
        length = 0;
        for (int i = 0; i < count; ++i)
            length = (length << 8) | static_cast<unsigned char>(der[2 + i]);
        header += count;
    }
    return header + length == der.size() && header < der.size()
           && static_cast<unsigned char>(der[header]) == kSequenceTag;
}

bool isCertificate(QByteArrayView base64)
{
    const auto decoded = QByteArray::fromBase64Encoding(withoutWhiteSpace(base64),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    return decoded && isWholeSequence(*decoded);
}

QString tooLarge(const QString &shown)
{
    return tr("The certificate file %1 is larger than %2 MiB, more than any certificate file.")
        .arg(shown)
        .arg(kMaxFileBytes / (1024 * 1024));
}

} // namespace

int countPemCertificates(QByteArrayView text)
{
    int count = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype begin = text.indexOf(kBegin, from);
        if (begin < 0)
            return count;
        const qsizetype body = begin + kBegin.size();
        const qsizetype end = text.indexOf(kEnd, body);
        if (end < 0)
            return count;
        if (isCertificate(text.sliced(body, end - body)))
            ++count;
        from = end + kEnd.size();
    }
}

QString problem(const QString &path)
{
    const QFileInfo info(path);
    const QString shown = quotedText(QDir::toNativeSeparators(path));
    if (!info.exists())
        return tr("The certificate file %1 does not exist.").arg(shown);
    if (!info.isFile())
        return tr("%1 is not a file.").arg(shown);
    if (info.size() > kMaxFileBytes)
        return tooLarge(shown);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return tr("The certificate file %1 cannot be read: %2.").arg(shown, file.errorString());
    // The file may have grown since it was measured.
    const QByteArray text = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return tr("The certificate file %1 cannot be read: %2.").arg(shown, file.errorString());
    if (text.size() > kMaxFileBytes)
        return tooLarge(shown);
    if (countPemCertificates(text) == 0) {
        return tr("The certificate file %1 holds no certificate in PEM form "
                  "(\"-----BEGIN CERTIFICATE-----\").")
            .arg(shown);
    }
    return {};
}

} // namespace CertificateFile
