#pragma once

#include <QString>

// "Cash" and "Money Market" are priced at kCashPrice without a lookup. The
// comparison ignores case but is otherwise exact (no trimming, no space
// folding). Whoever prices symbols applies this rule before asking a quote
// service; the services never see a cash symbol.
bool isCashSymbol(const QString &symbol);
inline constexpr double kCashPrice = 1.0;
