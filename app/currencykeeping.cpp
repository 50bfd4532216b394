#include "currencykeeping.h"

#include "fundtallydlg.h"
#include "holdingsform.h"
#include "reportcurrency.h"
#include "statusline.h"

#include <QSettings>

void keepReportCurrency(CFundtallyDlg &dialog, QSettings &settings)
{
    dialog.setReportCurrency(ReportCurrency::savedCode(settings, QLocale::system()));
    QObject::connect(&dialog, &CFundtallyDlg::reportCurrencyChanged, &dialog,
                     [&dialog, &settings](const QString &code) {
                         const QString problem = ReportCurrency::save(settings, code);
                         if (!problem.isEmpty())
                             dialog.form().statusLabel()->showStatus(problem);
                     });
}
