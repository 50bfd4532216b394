#pragma once

class CFundtallyDlg;
class QSettings;

// Sets the window's report currency to the one saved in `settings` (the
// system locale's when none is), and saves each one the user chooses there
// for the next start. A choice that could not be saved still holds for this
// run; the status line says why it was not saved.
void keepReportCurrency(CFundtallyDlg &dialog, QSettings &settings);
