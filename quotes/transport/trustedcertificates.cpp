#include "trustedcertificates.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QSet>

namespace {

constexpr QByteArrayView kBlockEnd("-----END ");
constexpr QByteArrayView kDashes("-----");

// The certificate kinds OpenSSL reads as trust anchors.
bool isCertificateLabel(QByteArrayView label)
{
    return label == "CERTIFICATE" || label == "TRUSTED CERTIFICATE" || label == "X509 CERTIFICATE";
}

class PemCollector
{
public:
    void addFile(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() > CertificateFile::kMaxFileBytes)
            return;
        // A file may grow after size(); reading one byte more tells.
        const QByteArray text = file.read(CertificateFile::kMaxFileBytes + 1);
        if (text.size() <= CertificateFile::kMaxFileBytes)
            addBlocks(text);
    }

    QByteArray pem() const { return m_pem; }

private:
    void addBlocks(QByteArrayView text)
    {
        constexpr QByteArrayView begin("-----BEGIN ");
        qsizetype at = 0;
        while ((at = text.indexOf(begin, at)) >= 0) {
            const qsizetype labelStart = at + begin.size();
            const qsizetype labelEnd = text.indexOf(kDashes, labelStart);
            if (labelEnd < 0)
                return;
            const QByteArrayView label = text.sliced(labelStart, labelEnd - labelStart);
            const QByteArray end = kBlockEnd.toByteArray() + label.toByteArray() + kDashes.toByteArray();
            const qsizetype endAt = text.indexOf(end, labelEnd);
            if (endAt < 0)
                return;
            const qsizetype blockEnd = endAt + end.size();
            if (isCertificateLabel(label))
                addBlock(text.sliced(at, blockEnd - at).toByteArray());
            at = blockEnd;
        }
    }

    void addBlock(const QByteArray &block)
    {
        if (m_seen.contains(block))
            return;
        m_seen.insert(block);
        m_pem += block + '\n';
    }

    QSet<QByteArray> m_seen;
    QByteArray m_pem;
};

} // namespace

QByteArray trustedCertificatePem(const QStringList &files, const QStringList &directories)
{
    PemCollector collector;
    for (const QString &file : files)
        collector.addFile(file);
    for (const QString &directory : directories) {
        const QDir dir(directory);
        const QStringList names = dir.entryList(QDir::Files | QDir::Readable, QDir::Name);
        for (const QString &name : names)
            collector.addFile(dir.filePath(name));
    }
    return collector.pem();
}
