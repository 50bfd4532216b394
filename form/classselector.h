#pragma once

#include <QComboBox>

// A row's asset class list. To assistive tools it keeps its own name ("Row 3
// asset class") whatever is chosen, and gives the chosen class as its value;
// a plain list box would take the chosen class as its name and lose the row.
class ClassSelector : public QComboBox
{
    Q_OBJECT

public:
    explicit ClassSelector(QWidget *parent = nullptr);
};
