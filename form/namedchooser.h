#pragma once

#include <QComboBox>

// A list box that keeps, to assistive tools, the name it is given ("Format",
// "Row 3 asset class") whatever is chosen, and gives the choice as its
// value. A plain QComboBox on Linux takes the chosen item as its name, so a
// screen reader would hear "comma" with nothing saying what it is for.
class NamedChooser : public QComboBox
{
    Q_OBJECT

public:
    explicit NamedChooser(QWidget *parent = nullptr);
};
