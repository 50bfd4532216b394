#pragma once

#include "certificatefilechooser.h"
#include "fakequotesource.h"
#include "filechooser.h"
#include "holdingsform.h"
#include "messagepresenter.h"
#include "numberprompt.h"
#include "quotesitechooser.h"

#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QStringList>

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
    QString chooseProfileToOpen(QWidget *) override
    {
        ++openAsked;
        return openPath;
    }
    QString chooseProfileToSave(QWidget *) override
    {
        ++saveAsked;
        return savePath;
    }
    QString openPath;
    QString savePath;
    int openAsked = 0;
    int saveAsked = 0;
};

class RecordingMessages final : public MessagePresenter
{
public:
    void showError(QWidget *, const QString &message) override { errors.append(message); }
    QStringList errors;
};

class CountingQuoteSiteChooser final : public QuoteSiteChooser
{
public:
    void chooseQuoteSite(QWidget *parent) override { parents.append(parent); }
    QList<QWidget *> parents;
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
