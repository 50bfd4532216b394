#include "filechooser.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

// Starts in `folder`, with `fileName` filled in when there is one.
QString choose(QWidget *parent, QFileDialog::AcceptMode mode, const QString &caption,
               const QString &folder, const QString &fileName, const QString &filter)
{
    QFileDialog dialog(parent, caption, folder, filter);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
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
    return choose(parent, QFileDialog::AcceptOpen, QFileDialog::tr("Get Profile"), folder, QString(),
                  QStringLiteral("Retirement Data(.ftly) (*.ftly)"));
}

QString DialogFileChooser::chooseProfileToSave(QWidget *parent, const QString &current)
{
    // Replacing the current file is the usual save, so it is offered; the
    // file dialog asks before it is replaced.
    const QFileInfo file(current);
    return choose(parent, QFileDialog::AcceptSave, QFileDialog::tr("Save Profile"),
                  current.isEmpty() ? QString() : file.absolutePath(), file.fileName(),
                  QStringLiteral("Retirement Quant Data(.ftly) (*.ftly)"));
}
