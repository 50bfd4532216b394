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
    return configuration;
}

QSslConfiguration trustingClientConfiguration()
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates({authority()});
    return configuration;
}

} // namespace TestCertificates
