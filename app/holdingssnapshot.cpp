#include "holdingssnapshot.h"

#include "fieldexchange.h"
#include "holdingsform.h"

#include <QComboBox>
#include <QLineEdit>

std::optional<ProfileRecords> recordsOnForm(const HoldingsForm &form)
{
    ProfileRecords records;
    for (int row = 0; row < ProfileRecordCount; ++row) {
        const std::optional<double> shares = parseBoxDouble(form.sharesBox(row)->text());
        if (!shares)
            return std::nullopt;
        records[row] = ProfileRecord{form.nameBox(row)->text(), form.symbolBox(row)->text(), *shares,
                                     form.classSelector(row)->currentIndex()};
    }
    return records;
}
