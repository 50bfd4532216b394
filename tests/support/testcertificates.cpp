#include "testcertificates.h"

#include <QFile>
#include <QSslKey>

// Resources of a static library must be registered by hand.
static void registerCertificateResources()
{
    Q_INIT_RESOURCE(testcerts);
}

namespace TestCertificates {
namespace {

QByteArray resource(const QString &name)
{
    registerCertificateResources();
    QFile file(QStringLiteral(":/testcerts/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test certificate resource %s", qPrintable(name));
    return file.readAll();
}

QString baseName(ServerIdentity identity)
{
    switch (identity) {
    case ServerIdentity::Trusted:
        return QStringLiteral("server");
    case ServerIdentity::SelfSigned:
        return QStringLiteral("selfsigned");
    case ServerIdentity::WrongHost:
        return QStringLiteral("wronghost");
    }
    Q_UNREACHABLE();
}

} // namespace

QSslCertificate authority()
{
    return QSslCertificate(resource(QStringLiteral("ca.pem")), QSsl::Pem);
}

QSslConfiguration serverConfiguration(ServerIdentity identity)
{
    const QString name = baseName(identity);
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(resource(name + QStringLiteral(".pem")), QSsl::Pem));
    configuration.setPrivateKey(QSslKey(resource(name + QStringLiteral(".key")), QSsl::Rsa, QSsl::Pem));
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone); // clients present no certificate
    // Qt's TLS 1.3 server now and then leaves a request that came in with
    // the client's last handshake message unread until the connection's next
    // event, which a client waiting for its answer never sends; over TLS 1.2
    // the handshake ends before the request is sent.
    configuration.setProtocol(QSsl::TlsV1_2);
    return configuration;
}

} // namespace TestCertificates
