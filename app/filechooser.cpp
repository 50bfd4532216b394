#include "filechooser.h"

#include <QFileDialog>

namespace {

QString choose(QWidget *parent, QFileDialog::AcceptMode mode, const QString &caption,
               const QString &folder, const QString &filter)
{
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setAcceptMode(mode);
    dialog.setDefaultSuffix(QStringLiteral("ftly"));
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString DialogFileChooser::chooseProfileToOpen(QWidget *parent, const QString &folder)
{
    return choose(parent, QFileDialog::AcceptOpen, QFileDialog::tr("Get Profile"), folder,
                  QStringLiteral("Retirement Data(.ftly) (*.ftly)"));
}

QString DialogFileChooser::chooseProfileToSave(QWidget *parent, const QString &folder)
{
    return choose(parent, QFileDialog::AcceptSave, QFileDialog::tr("Save Profile"), folder,
                  QStringLiteral("Retirement Quant Data(.ftly) (*.ftly)"));
}
