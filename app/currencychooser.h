#pragma once

#include <QString>

#include <optional>

class QWidget;

// Asks the user for the report currency, starting at `current`. Passed into
// the window so tests can answer without a modal dialog.
class CurrencyChooser
{
public:
    virtual ~CurrencyChooser() = default;
    // The ISO 4217 code chosen; none when the user cancelled.
    virtual std::optional<QString> chooseCurrency(QWidget *parent, const QString &current) = 0;
};
