#include "messagepresenter.h"

#include <QCoreApplication>
#include <QMessageBox>

void MessageBoxPresenter::showError(QWidget *parent, const QString &message)
{
    QMessageBox::warning(parent, QCoreApplication::applicationName(), message);
}
