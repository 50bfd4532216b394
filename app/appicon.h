#pragma once

#include <QIcon>

// The pixel sizes the program's icon is drawn in; Qt picks the one that fits
// each use and the screen's scale.
inline constexpr int FundtallyIconSizes[] = {16, 32, 48, 64, 128, 256};

// The program's icon in every one of FundtallyIconSizes.
QIcon fundtallyIcon();
