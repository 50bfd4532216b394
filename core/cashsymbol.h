#pragma once

#include <QString>

// "Cash" and "Money Market" are priced at 1.0 without a lookup. The comparison
// ignores case but is otherwise exact (no trimming, no space folding).
bool isCashSymbol(const QString &symbol);
