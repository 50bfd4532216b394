#pragma once

#include "namedchooser.h"

// A row's asset class list, named by its row ("Row 3 asset class").
class ClassSelector : public NamedChooser
{
    Q_OBJECT

public:
    explicit ClassSelector(QWidget *parent = nullptr);
};
