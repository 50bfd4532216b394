#include "filechooser.h"

#include <QFileDialog>

namespace {

QString choose(QWidget *parent, QFileDialog::AcceptMode mode, const QString &caption,
               const QString &filter)
{
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setAcceptMode(mode);
    dialog.setDefaultSuffix(QStringLiteral("ftly"));
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString DialogFileChooser::chooseProfileToOpen(QWidget *parent)
{
    return choose(parent, QFileDialog::AcceptOpen, QFileDialog::tr("Get Profile"),
                  QStringLiteral("Retirement Data(.ftly) (*.ftly)"));
}

QString DialogFileChooser::chooseProfileToSave(QWidget *parent)
{
    return choose(parent, QFileDialog::AcceptSave, QFileDialog::tr("Save Profile"),
                  QStringLiteral("Retirement Quant Data(.ftly) (*.ftly)"));
}
