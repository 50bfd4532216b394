#pragma once

#include <QString>

class QWidget;

// Asks the user for a certificate file. An empty path means the user
// cancelled. Passed into the quote source editor so tests can answer.
class CertificateFileChooser
{
public:
    virtual ~CertificateFileChooser() = default;
    virtual QString chooseCertificateFile(QWidget *parent, const QString &current) = 0;
};

// The desktop's file dialog, offering PEM certificate files first.
class DialogCertificateFileChooser final : public CertificateFileChooser
{
public:
    QString chooseCertificateFile(QWidget *parent, const QString &current) override;
};
