#pragma once

#include <QString>

class CFundtallyDlg;
class PriceMemory;

// The prices found are kept after every calculation; the menu turns their
// use on and off and forgets them. What went wrong with the file is said in
// the status line, once, and never stops anything.
void keepPrices(CFundtallyDlg &dialog, PriceMemory &prices, const QString &loadProblem);
