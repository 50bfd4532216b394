// A place and a JSON answer: the first line is the place, the rest the
// answer. Whatever the place, it parses or names its error; whatever the
// answer, it is read within the nesting limit, and a price found is one.

#include "fuzzcheck.h"
#include "jsonanswer.h"
#include "jsonplace.h"
#include "sourceanswer.h"
#include "answerlimits.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype lineEnd = input.indexOf('\n');
    const QString placeText = QString::fromUtf8(lineEnd < 0 ? input : input.first(lineEnd));
    const QByteArrayView body = lineEnd < 0 ? QByteArrayView() : input.sliced(lineEnd + 1);

    const JsonPlace place = JsonPlace::parse(placeText);
    fuzzCheck(place.isValid() == (place.error() == JsonPlaceError::None));
    fuzzCheck(place.isValid() || (place.errorPosition() >= 0 && place.errorPosition() <= placeText.size()));

    const JsonAnswer answer = readJsonAnswer(body);
    fuzzCheck((answer.failure == JsonAnswerFailure::TooDeep)
              == (jsonNesting(body, AnswerLimits::kMaxJsonDepth) > AnswerLimits::kMaxJsonDepth));
    if (answer.failure == JsonAnswerFailure::None) {
        if (const auto found = place.find(answer.root, QStringLiteral("VTI")))
            fuzzCheck(found->path.startsWith(u'$'));
    }

    QuoteSource source;
    source.name = QStringLiteral("Fuzz");
    source.format = SourceFormat::Json;
    source.price = placeText;
    source.currency = QStringLiteral("$.currency");
    const SourceAnswer read = readSourceAnswer(source, QStringLiteral("VTI"), body, AnswerDetail::Evidence);
    fuzzCheck(read.miss != SourceMiss::None || (std::isfinite(read.price) && read.price > 0.0));
    fuzzCheck(read.miss == SourceMiss::None || (read.price == 0.0 && !sourceMissText(read.miss).isEmpty()));
    fuzzCheck(read.currency.isEmpty() || read.currency.size() == 3);
    fuzzCheck(read.neighbourhood.toUtf8().size() <= AnswerLimits::kEvidenceNeighbourhoodBytes);
    fuzzCheck(read.answerStart.size() <= 4 * AnswerLimits::kEvidenceAnswerBytes);
    return 0;
}
