#pragma once

#include <QMessageBox>

#include <functional>
#include <memory>

class QWidget;

// Why the rows on the form are about to go.
enum class SetAsideReason { Closing, OpeningProfile };

enum class SaveChangesAnswer { Save, Discard, Cancel };

// Asks whether to save holdings that differ from the last profile saved or
// loaded. Passed into the dialog so tests can answer without a modal box.
class SaveChangesQuestion
{
public:
    virtual ~SaveChangesQuestion() = default;
    virtual SaveChangesAnswer askToSaveChanges(QWidget *parent, SetAsideReason reason) = 0;
};

// The desktop's usual question: Save, Discard and Cancel, Save the default,
// Escape for Cancel.
class MessageBoxSaveChangesQuestion final : public SaveChangesQuestion
{
public:
    SaveChangesAnswer askToSaveChanges(QWidget *parent, SetAsideReason reason) override;
};

// The box the question above runs, built apart so its texts and buttons can
// be checked without running it.
std::unique_ptr<QMessageBox> createSaveChangesBox(QWidget *parent, SetAsideReason reason);

// The answer a button of that box gives; anything else (the box closed by
// other means) is Cancel.
SaveChangesAnswer saveChangesAnswer(QMessageBox::StandardButton button);

// Whether the rows may go after the user's answer: Save goes on only when
// `save` saved them, Discard goes on, Cancel keeps them.
bool mayGoOn(SaveChangesAnswer answer, const std::function<bool()> &save);
