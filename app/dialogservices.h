#pragma once

#include <functional>
#include <memory>

class CurrencyChooser;
class FileChooser;
class MessagePresenter;
class NumberPrompt;
class QuoteService;
class QuoteSourcesChooser;
class SaveChangesQuestion;

// What the holdings dialog asks of the outside world. The start-up owns the
// real ones; tests pass fakes. All must outlive the dialog.
struct DialogServices
{
    // The service a calculation starting now prices through.
    std::function<std::shared_ptr<QuoteService>()> quotes;
    NumberPrompt &numberPrompt;
    FileChooser &files;
    MessagePresenter &messages;
    QuoteSourcesChooser &quoteSources;
    CurrencyChooser &currency;
    SaveChangesQuestion &saveChanges;
};
