#include "certificatefilechooser.h"

#include <QFileDialog>

QString DialogCertificateFileChooser::chooseCertificateFile(QWidget *parent, const QString &current)
{
    QFileDialog dialog(parent, QFileDialog::tr("Certificate File"), current,
                       QFileDialog::tr("Certificates (*.pem *.crt *.cer);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
