#pragma once

#include <QString>

class QWidget;

// Asks the user for a profile file. An empty path means the user cancelled.
// An empty starting folder or path leaves the start to the desktop. Passed
// into the dialog so tests can answer without a modal file dialog.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // Starts in `folder` with no file name filled in.
    virtual QString chooseProfileToOpen(QWidget *parent, const QString &folder) = 0;
    // Starts in the folder of `current` with its file name filled in, and
    // confirms with the user before an existing file is chosen.
    virtual QString chooseProfileToSave(QWidget *parent, const QString &current) = 0;
};

// The desktop's file dialogs, limited to profiles (*.ftly).
class DialogFileChooser final : public FileChooser
{
public:
    QString chooseProfileToOpen(QWidget *parent, const QString &folder) override;
    QString chooseProfileToSave(QWidget *parent, const QString &current) override;
};
