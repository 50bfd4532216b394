#pragma once

class QWidget;

// Lets the user choose the quote site. Passed into the window so tests can
// see the command reach it without a modal dialog.
class QuoteSiteChooser
{
public:
    virtual ~QuoteSiteChooser() = default;
    // A choice the user saves takes effect from the next calculation; one
    // that is running finishes with the site it started with.
    virtual void chooseQuoteSite(QWidget *parent) = 0;
};
