#include "savechangesquestion.h"

#include <QCoreApplication>
#include <QPushButton>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SaveChangesQuestion", text);
}

QString questionText(SetAsideReason reason)
{
    switch (reason) {
    case SetAsideReason::Closing:
        return tr("Save changes to your holdings before closing?");
    case SetAsideReason::OpeningProfile:
        return tr("Save changes to your holdings before opening another profile?");
    }
    Q_UNREACHABLE();
}

} // namespace

std::unique_ptr<QMessageBox> createSaveChangesBox(QWidget *parent, SetAsideReason reason)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(QCoreApplication::applicationName());
    box->setText(questionText(reason));
    box->setInformativeText(tr("Your changes are lost if you do not save them."));
    box->setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    // The same keys whatever the desktop's theme calls the buttons; Cancel
    // is Escape.
    box->button(QMessageBox::Save)->setText(tr("&Save"));
    box->button(QMessageBox::Discard)->setText(tr("&Discard"));
    box->button(QMessageBox::Cancel)->setText(tr("Cancel"));
    box->setDefaultButton(QMessageBox::Save);
    box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

SaveChangesAnswer saveChangesAnswer(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Save:
        return SaveChangesAnswer::Save;
    case QMessageBox::Discard:
        return SaveChangesAnswer::Discard;
    default:
        return SaveChangesAnswer::Cancel;
    }
}

SaveChangesAnswer MessageBoxSaveChangesQuestion::askToSaveChanges(QWidget *parent,
                                                                  SetAsideReason reason)
{
    const std::unique_ptr<QMessageBox> box = createSaveChangesBox(parent, reason);
    return saveChangesAnswer(static_cast<QMessageBox::StandardButton>(box->exec()));
}

bool mayGoOn(SaveChangesAnswer answer, const std::function<bool()> &save)
{
    switch (answer) {
    case SaveChangesAnswer::Save:
        return save();
    case SaveChangesAnswer::Discard:
        return true;
    case SaveChangesAnswer::Cancel:
        return false;
    }
    Q_UNREACHABLE();
}
