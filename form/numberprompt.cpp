#include "numberprompt.h"

#include "controlids.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QVariant>

QString numberPromptText(const QLineEdit *box)
{
    const int row = box ? ControlId::sharesRow(box->property("controlId").toInt()) : -1;
    if (row < 0) {
        return QCoreApplication::translate(
            "NumberPrompt", "Please enter a number such as 12.5 (without thousands separators).");
    }
    return QCoreApplication::translate(
               "NumberPrompt",
               "Row %1 shares: please enter a number such as 12.5 (without thousands separators).")
        .arg(row + 1);
}

void MessageBoxNumberPrompt::promptForNumber(QLineEdit *box)
{
    QMessageBox::warning(box ? box->window() : nullptr,
                         QCoreApplication::applicationName(),
                         numberPromptText(box));
}
