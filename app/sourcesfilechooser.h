#pragma once

#include <QString>

class QWidget;

// Asks the user for a sources file to import or to export to. An empty path
// means the user cancelled. Passed into the quote sources dialog so tests
// can answer without a modal file dialog.
class SourcesFileChooser
{
public:
    virtual ~SourcesFileChooser() = default;
    virtual QString chooseSourcesToImport(QWidget *parent) = 0;
    // Confirms with the user before an existing file is chosen.
    virtual QString chooseSourcesToExport(QWidget *parent) = 0;
};

// The desktop's file dialogs, offering JSON files first.
class DialogSourcesFileChooser final : public SourcesFileChooser
{
public:
    QString chooseSourcesToImport(QWidget *parent) override;
    QString chooseSourcesToExport(QWidget *parent) override;
};
