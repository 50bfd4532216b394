#pragma once

#include "holding.h"

#include <QString>

#include <optional>

class HoldingsForm;
class NumberPrompt;
struct FormFields;

// Moves values between the form's boxes and its fields, in screen order:
// each row's name, symbol, shares, value and percent, then the total and the
// summary's percent and amount boxes.

// Form to fields. Stops at the first Shares box that does not hold a number:
// prompts once, puts the focus on that box and returns false; the fields
// after it keep their values.
bool transferFormToFields(const HoldingsForm &form, FormFields &fields, NumberPrompt &prompt);

// The rows as the boxes show them, read through a copy of the fields so
// that neither the fields nor the focus change; nothing when a Shares box
// does not hold a number.
std::optional<Holdings> holdingsOnForm(const HoldingsForm &form, const FormFields &fields);

// Fields to form: writes every box.
void transferFieldsToForm(const FormFields &fields, HoldingsForm &form);

// Locale-independent number text for the boxes: doubles in the general
// format with up to 15 significant digits, integers in plain decimal.
QString formatBoxNumber(double value);
QString formatBoxNumber(qint64 value);

// A box's text as a finite number; blank text reads as 0. Anything else that
// is not a whole number text (inf, nan, out of range, trailing junk) fails.
std::optional<double> parseBoxDouble(const QString &text);
std::optional<qint64> parseBoxInteger(const QString &text);
