#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Picks a quote page's price line, its fifth, out of the body as the body
// arrives in pieces of any size. Keeps no more than one capped line.
class PriceLineReader
{
public:
    static constexpr int kPriceLine = 5;
    // Longest price line kept; a longer line is cut to this many bytes.
    static constexpr qsizetype kMaxLineBytes = 1024 * 1024;

    explicit PriceLineReader(qsizetype maxLineBytes = kMaxLineBytes);

    // Takes the next piece of the body. Returns true once the price line is
    // complete: at its line break, or as soon as it is known to be longer
    // than the cap. Pieces after that are ignored.
    bool append(QByteArrayView piece);
    // The body has ended; its last line counts even without a line break.
    // Returns true when the price line is complete.
    bool finish();

    bool hasPriceLine() const { return m_linesRead == kPriceLine; }
    // The price line without its line break; empty until it is complete.
    QByteArrayView priceLine() const;
    // The price line was longer than the cap and priceLine() is its start.
    bool priceLineCut() const { return m_cut; }
    // Bytes of the lines before the price line read so far.
    qint64 bytesBeforePriceLine() const { return m_bytesBefore; }

private:
    void takePriceLinePart(QByteArrayView part, bool endsLine);
    void completePriceLine();

    qsizetype m_maxLineBytes;
    QByteArray m_line;
    qint64 m_bytesBefore = 0;
    int m_linesRead = 0;
    bool m_cut = false;
};
