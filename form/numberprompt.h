#pragma once

class QLineEdit;

// Tells the user that a box must hold a number. Passed in so that tests can
// count prompts instead of facing a modal box.
class NumberPrompt
{
public:
    virtual ~NumberPrompt() = default;
    virtual void promptForNumber(QLineEdit *box) = 0;
};

// The prompt a user sees: a warning box over the form.
class MessageBoxNumberPrompt final : public NumberPrompt
{
public:
    void promptForNumber(QLineEdit *box) override;
};
