#include "pricekeeping.h"

#include "commandmenu.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "pricememory.h"
#include "statusline.h"

#include <QAction>
#include <QCoreApplication>

void keepPrices(CFundtallyDlg &dialog, PriceMemory &prices, const QString &loadProblem)
{
    StatusLine *status = dialog.form().statusLabel();
    if (!loadProblem.isEmpty())
        status->showStatus(loadProblem);
    QObject::connect(&dialog, &CFundtallyDlg::calculationFinished, &dialog, [&prices, status] {
        const QString problem = prices.save();
        if (!problem.isEmpty())
            status->showStatus(status->text() + u' ' + problem);
    });
    QAction *useLastKnown = dialog.contextMenu()->useLastKnownAction();
    useLastKnown->setChecked(prices.usesLastKnown());
    QObject::connect(useLastKnown, &QAction::toggled, &dialog,
                     [&prices](bool use) { prices.setUsesLastKnown(use); });
    QObject::connect(dialog.contextMenu()->forgetPricesAction(), &QAction::triggered, &dialog, [&prices, status] {
        const QString problem = prices.forget();
        status->showStatus(problem.isEmpty() ? QCoreApplication::translate("CFundtallyApp", "Forgot every kept price.")
                                             : problem);
    });
}
