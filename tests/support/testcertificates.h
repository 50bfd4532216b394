#pragma once

#include <QSslCertificate>
#include <QSslConfiguration>

// Throw-away certificates for loopback servers, valid for a hundred years.
// The test authority signs "server" (localhost, 127.0.0.1) and "wronghost"
// (wrong.example); "selfsigned" (localhost, 127.0.0.1) is signed by nobody
// the tests trust.
namespace TestCertificates {

enum class ServerIdentity { Trusted, SelfSigned, WrongHost };

QSslCertificate authority();

// A server-side configuration presenting the given identity.
QSslConfiguration serverConfiguration(ServerIdentity identity);

} // namespace TestCertificates
