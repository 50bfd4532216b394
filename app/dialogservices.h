#pragma once

class FileChooser;
class MessagePresenter;
class NumberPrompt;
class QuoteSiteChooser;
class QuoteSource;
class SaveChangesQuestion;

// What the holdings dialog asks of the outside world. The start-up owns the
// real ones; tests pass fakes. All must outlive the dialog.
struct DialogServices
{
    QuoteSource &quotes;
    NumberPrompt &numberPrompt;
    FileChooser &files;
    MessagePresenter &messages;
    QuoteSiteChooser &quoteSite;
    SaveChangesQuestion &saveChanges;
};
