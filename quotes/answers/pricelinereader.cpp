#include "pricelinereader.h"

#include <algorithm>

namespace {

// A line break is up to two bytes ("\r\n"); keeping that much beyond the cap
// tells a line exactly as long as the cap from a longer one.
constexpr qsizetype kLineBreakRoom = 2;

} // namespace

PriceLineReader::PriceLineReader(qsizetype maxLineBytes)
    : m_maxLineBytes(std::max<qsizetype>(maxLineBytes, 1))
{
}

bool PriceLineReader::append(QByteArrayView piece)
{
    while (!piece.isEmpty() && !hasPriceLine()) {
        const qsizetype lineBreak = piece.indexOf('\n');
        const bool endsLine = lineBreak >= 0;
        const QByteArrayView part = endsLine ? piece.first(lineBreak + 1) : piece;
        piece = piece.sliced(part.size());
        if (m_linesRead == kPriceLine - 1) {
            takePriceLinePart(part, endsLine);
        } else {
            m_bytesBefore += part.size();
            if (endsLine)
                ++m_linesRead;
        }
    }
    return hasPriceLine();
}

bool PriceLineReader::finish()
{
    if (m_linesRead == kPriceLine - 1 && !m_line.isEmpty())
        completePriceLine();
    return hasPriceLine();
}

QByteArrayView PriceLineReader::priceLine() const
{
    return hasPriceLine() ? QByteArrayView(m_line) : QByteArrayView();
}

void PriceLineReader::takePriceLinePart(QByteArrayView part, bool endsLine)
{
    const qsizetype room = m_maxLineBytes + kLineBreakRoom - m_line.size();
    const qsizetype taken = std::min(room, part.size());
    m_line.append(part.first(taken));
    if ((endsLine && taken == part.size()) || m_line.size() >= m_maxLineBytes + kLineBreakRoom)
        completePriceLine();
}

void PriceLineReader::completePriceLine()
{
    if (m_line.endsWith('\n'))
        m_line.chop(1);
    if (m_line.endsWith('\r'))
        m_line.chop(1);
    if (m_line.size() > m_maxLineBytes) {
        m_line.truncate(m_maxLineBytes);
        m_cut = true;
    }
    m_linesRead = kPriceLine;
}
