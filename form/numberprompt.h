#pragma once

#include <QString>

class QLineEdit;

// Tells the user that a box must hold a number. Passed in so that tests can
// count prompts instead of facing a modal box.
class NumberPrompt
{
public:
    virtual ~NumberPrompt() = default;
    virtual void promptForNumber(QLineEdit *box) = 0;
};

// What the prompt says: which row's shares, and what a number looks like,
// since grouped numbers such as 1,000 are refused.
QString numberPromptText(const QLineEdit *box);

// The prompt a user sees: a warning box over the form.
class MessageBoxNumberPrompt final : public NumberPrompt
{
public:
    void promptForNumber(QLineEdit *box) override;
};
