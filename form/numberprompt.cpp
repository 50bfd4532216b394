#include "numberprompt.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>

void MessageBoxNumberPrompt::promptForNumber(QLineEdit *box)
{
    QMessageBox::warning(box ? box->window() : nullptr,
                         QCoreApplication::applicationName(),
                         QCoreApplication::translate("NumberPrompt", "Please enter a number."));
}
