#include "sourcesfilechooser.h"

#include <QFileDialog>

namespace {

QString chooseFile(QWidget *parent, const QString &title, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, title, QString(), QFileDialog::tr("Quote sources (*.json);;All files (*)"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("json"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString DialogSourcesFileChooser::chooseSourcesToImport(QWidget *parent)
{
    return chooseFile(parent, QFileDialog::tr("Import Quote Sources"), QFileDialog::AcceptOpen);
}

QString DialogSourcesFileChooser::chooseSourcesToExport(QWidget *parent)
{
    return chooseFile(parent, QFileDialog::tr("Export Quote Sources"), QFileDialog::AcceptSave);
}
