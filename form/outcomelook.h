#pragma once

#include "calculation.h"

#include <QPalette>

// How a row's Value box looks after a calculation: amber where the lookup
// failed, pale blue where it failed and the last known price stands in,
// greyed where none was made (the run was stopped first), and in the
// theme's own colours otherwise.
QPalette outcomePalette(RowOutcome outcome, const QPalette &theme);
