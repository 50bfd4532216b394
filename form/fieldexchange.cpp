#include "fieldexchange.h"

#include "formfields.h"
#include "holdingsform.h"
#include "numberprompt.h"
#include "rowtable.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>

#include <cmath>

namespace {

QLocale strictCLocale()
{
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    return locale;
}

// Reads a read-only box; those only ever hold what the program wrote, so a
// box that does not parse keeps the field's value.
template<typename Number, typename Parse>
void readComputedBox(const QLineEdit *box, Number &field, Parse parse)
{
    if (const auto parsed = parse(box->text()))
        field = *parsed;
}

} // namespace

std::optional<double> parseBoxDouble(const QString &text)
{
    if (text.trimmed().isEmpty())
        return 0.0;
    bool ok = false;
    const double value = strictCLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint64> parseBoxInteger(const QString &text)
{
    if (text.trimmed().isEmpty())
        return qint64(0);
    bool ok = false;
    const qint64 value = strictCLocale().toLongLong(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QString formatBoxNumber(double value)
{
    return QString::number(value, 'g', 15);
}

QString formatBoxNumber(qint64 value)
{
    return QString::number(value);
}

namespace {

// Form to fields without a word to the user: the Shares box that stopped
// the transfer, or nothing when every box was read.
QLineEdit *readFormIntoFields(const HoldingsForm &form, FormFields &fields)
{
    for (int row = 0; row < HoldingRowCount; ++row) {
        fields.name[row] = form.nameBox(row)->text();
        fields.symbol[row] = form.symbolBox(row)->text();

        QLineEdit *sharesBox = form.sharesBox(row);
        const std::optional<double> shares = parseBoxDouble(sharesBox->text());
        if (!shares)
            return sharesBox;
        fields.shares[row] = *shares;

        readComputedBox(form.valueBox(row), fields.value[row], parseBoxDouble);
        readComputedBox(form.percentBox(row), fields.percent[row], parseBoxInteger);
    }
    fields.totalText = form.totalBox()->text();
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass) {
        readComputedBox(form.classPercentBox(assetClass), fields.classPercent[assetClass],
                        parseBoxInteger);
        fields.classAmountText[assetClass] = form.classAmountBox(assetClass)->text();
    }
    return nullptr;
}

} // namespace

bool transferFormToFields(const HoldingsForm &form, FormFields &fields, NumberPrompt &prompt)
{
    QLineEdit *notANumber = readFormIntoFields(form, fields);
    if (!notANumber)
        return true;
    prompt.promptForNumber(notANumber);
    notANumber->setFocus(Qt::OtherFocusReason);
    notANumber->selectAll();
    return false;
}

std::optional<Holdings> holdingsOnForm(const HoldingsForm &form, const FormFields &fields)
{
    FormFields shown = fields;
    if (readFormIntoFields(form, shown))
        return std::nullopt;
    RowTable rows;
    rows.fill(shown, form);
    return rows.holdings();
}

void transferFieldsToForm(const FormFields &fields, HoldingsForm &form)
{
    for (int row = 0; row < HoldingRowCount; ++row) {
        form.nameBox(row)->setText(fields.name[row]);
        form.symbolBox(row)->setText(fields.symbol[row]);
        form.sharesBox(row)->setText(formatBoxNumber(fields.shares[row]));
        form.valueBox(row)->setText(formatBoxNumber(fields.value[row]));
        form.percentBox(row)->setText(formatBoxNumber(fields.percent[row]));
    }
    form.totalBox()->setText(fields.totalText);
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass) {
        form.classPercentBox(assetClass)->setText(formatBoxNumber(fields.classPercent[assetClass]));
        form.classAmountBox(assetClass)->setText(fields.classAmountText[assetClass]);
    }
}
