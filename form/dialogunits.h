#pragma once

#include <QRect>

class QFont;

// Converts the form's layout, given in dialog units, to pixels for a font:
// a horizontal unit is a quarter of the font's average character width and
// a vertical unit an eighth of its height, so the form grows with the font.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont &font);

    int x(int units) const;
    int y(int units) const;
    QRect rect(int x, int y, int width, int height) const;
    QSize size(int width, int height) const;

private:
    double m_baseX;
    double m_baseY;
};
