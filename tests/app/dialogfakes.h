#pragma once

#include "memorykeystore.h"

#include "certificatefilechooser.h"
#include "currencychooser.h"
#include "fakequoteservice.h"
#include "filechooser.h"
#include "holdingsform.h"
#include "messagepresenter.h"
#include "numberprompt.h"
#include "quotesourceschooser.h"
#include "keystore.h"
#include "savechangesquestion.h"
#include "sourcesfilechooser.h"

#include <QComboBox>
#include <QHash>
#include <QTimer>
#include <QLineEdit>
#include <QList>
#include <QStringList>

#include <functional>

// Stand-ins for the dialog's collaborators, so no test meets a modal box.

class CountingPrompt final : public NumberPrompt
{
public:
    void promptForNumber(QLineEdit *box) override { boxes.append(box); }
    QList<QLineEdit *> boxes;
};

class ScriptedFileChooser final : public FileChooser
{
public:
    QString chooseProfileToOpen(QWidget *, const QString &folder) override
    {
        ++openAsked;
        openFolders.append(folder);
        return openPath;
    }
    QString chooseProfileToSave(QWidget *, const QString &current) override
    {
        ++saveAsked;
        saveStarts.append(current);
        return savePath;
    }
    QString openPath;
    QString savePath;
    int openAsked = 0;
    int saveAsked = 0;
    // The folder each open started in, and the file each save started with.
    QStringList openFolders;
    QStringList saveStarts;
};

// Gives the same answer every time; Discard unless a test says otherwise, so
// tests about other things can replace or close typed rows.
class ScriptedSaveQuestion final : public SaveChangesQuestion
{
public:
    SaveChangesAnswer askToSaveChanges(QWidget *, SetAsideReason reason) override
    {
        reasons.append(reason);
        if (whileAsking)
            whileAsking();
        return answer;
    }
    SaveChangesAnswer answer = SaveChangesAnswer::Discard;
    QList<SetAsideReason> reasons;
    // Runs while the question is open, as the user's desktop might.
    std::function<void()> whileAsking;
};

class RecordingMessages final : public MessagePresenter
{
public:
    void showError(QWidget *, const QString &message) override { errors.append(message); }
    QStringList errors;
};

class CountingQuoteSourcesChooser final : public QuoteSourcesChooser
{
public:
    bool chooseQuoteSources(QWidget *parent) override
    {
        parents.append(parent);
        return saves;
    }
    bool hasQuoteSource() const override { return hasSource; }
    QList<QWidget *> parents;
    bool saves = false;
    bool hasSource = true;
};

// Answers `answer`, none for Cancel, and keeps the codes it was offered.
class ScriptedCurrencyChooser final : public CurrencyChooser
{
public:
    std::optional<QString> chooseCurrency(QWidget *parent, const QString &current) override
    {
        parents.append(parent);
        offered.append(current);
        return answer;
    }
    std::optional<QString> answer;
    QList<QWidget *> parents;
    QStringList offered;
};

class ScriptedCertificateChooser final : public CertificateFileChooser
{
public:
    QString chooseCertificateFile(QWidget *, const QString &current) override
    {
        offered.append(current);
        return answer;
    }
    QString answer;
    QStringList offered;
};

class ScriptedSourcesFileChooser final : public SourcesFileChooser
{
public:
    QString chooseSourcesToImport(QWidget *) override { return importPath; }
    QString chooseSourcesToExport(QWidget *) override { return exportPath; }
    QString importPath;
    QString exportPath;
};


// Every box's text and every selector's choice, to tell whether anything on
// the form changed.
inline QStringList formSnapshot(const HoldingsForm &form)
{
    QStringList texts;
    for (const QLineEdit *box : form.findChildren<QLineEdit *>())
        texts << box->text();
    for (const QComboBox *selector : form.findChildren<QComboBox *>())
        texts << QString::number(selector->currentIndex());
    return texts;
}
