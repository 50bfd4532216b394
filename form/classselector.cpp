#include "classselector.h"

ClassSelector::ClassSelector(QWidget *parent)
    : NamedChooser(parent)
{
}
