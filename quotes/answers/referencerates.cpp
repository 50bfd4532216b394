#include "referencerates.h"

#include "currency.h"

#include <QXmlStreamReader>

#include <cmath>
#include <optional>

using namespace ReferenceRatesLimits;

namespace {

// One day's rates, or none when the element is not a rate of a day.
struct Day {
    QDate date;
    QHash<QString, double> perEuro;
    bool tooMany = false;
};

void takeRate(const QXmlStreamAttributes &attributes, Day &day)
{
    const QString code = attributes.value(QLatin1String("currency")).toString();
    bool ok = false;
    const double rate = attributes.value(QLatin1String("rate")).toDouble(&ok);
    if (!isCurrencyCode(code) || !ok || !std::isfinite(rate) || rate <= 0.0)
        return;
    if (day.perEuro.size() >= kMaxRatesPerDay && !day.perEuro.contains(code)) {
        day.tooMany = true;
        return;
    }
    day.perEuro.insert(code, rate);
}

} // namespace

ReferenceRates readReferenceRates(QByteArrayView document)
{
    if (document.size() > kMaxDocumentBytes)
        return ReferenceRates{ReferenceRatesProblem::TooLarge, {}, {}};
    QXmlStreamReader xml(document.toByteArray());
    ReferenceRates newest;
    std::optional<Day> day;
    int depth = 0;
    int dayDepth = 0;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            ++depth;
            if (xml.name() != QLatin1String("Cube"))
                break;
            const QXmlStreamAttributes attributes = xml.attributes();
            if (attributes.hasAttribute(QLatin1String("time"))) {
                const QDate date = QDate::fromString(attributes.value(QLatin1String("time")).toString(), Qt::ISODate);
                day = date.isValid() ? std::optional(Day{date, {}, false}) : std::nullopt;
                dayDepth = depth;
            } else if (day && attributes.hasAttribute(QLatin1String("currency"))) {
                takeRate(attributes, *day);
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (day && depth == dayDepth) {
                if (day->tooMany)
                    return ReferenceRates{ReferenceRatesProblem::TooManyRates, {}, {}};
                if (!day->perEuro.isEmpty() && (!newest.day.isValid() || day->date > newest.day))
                    newest = ReferenceRates{ReferenceRatesProblem::None, day->date, day->perEuro};
                day.reset();
            }
            --depth;
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        return ReferenceRates{ReferenceRatesProblem::NotXml, {}, {}};
    if (newest.perEuro.isEmpty())
        newest.problem = ReferenceRatesProblem::NoRates;
    return newest;
}
