#pragma once

class QWidget;

// Lets the user choose the quote sources. Passed into the window so tests can
// see the command reach it without a modal dialog.
class QuoteSourcesChooser
{
public:
    virtual ~QuoteSourcesChooser() = default;
    // A choice the user saves takes effect from the next calculation; one
    // that is running finishes with the site it started with. True when the
    // user saved a list holding a source.
    virtual bool chooseQuoteSources(QWidget *parent) = 0;
    // Whether calculations have any source to ask; a first start has none.
    virtual bool hasQuoteSource() const = 0;
};
