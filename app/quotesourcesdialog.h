#pragma once

#include "keybook.h"
#include "keystore.h"
#include "transfersettings.h"
#include "quotesourceeditor.h"
#include "quotesource.h"
#include "quotesourceresolution.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QStringList>

#include <functional>

class CertificateFileChooser;
class QLabel;
class QListWidget;
class QPushButton;
class SourcesFileChooser;

// What the quote sources dialog starts from.
struct QuoteSourcesDialogSetup {
    QList<QuoteSource> saved;     // the saved list, in order
    QStringList savedProblems;    // why saved sources were ignored
    QuoteSourcesResolution inUse; // what calculations use now
    SourceTestTransfers testTransfers;   // the proxy, limits and trust of a source's Test
};

// The user's list of quote sources, asked in order for each symbol: added,
// edited, removed, moved, imported from and exported to a sources file, with
// each source's API key. Says so when the environment puts another list in
// use. OK saves the list and the keys, and says where each key is kept;
// Cancel keeps nothing. Forget Prices empties the last known prices.
class QuoteSourcesDialog : public QDialog
{
    Q_OBJECT

public:
    // Keeps the list; returns why it could not, empty on success.
    using Saver = std::function<QString(const QList<QuoteSource> &)>;
    // Forgets the last known prices; returns why it could not, empty on success.
    using Forgetter = std::function<QString()>;

    QuoteSourcesDialog(const QuoteSourcesDialogSetup &setup, KeyStore &keys, SourcesFileChooser &files,
                       CertificateFileChooser &certificates, Saver save, Forgetter forget,
                       QWidget *parent = nullptr);
    ~QuoteSourcesDialog() override;

    QList<QuoteSource> sources() const;
    // Where each source's key is kept, as last read or written.
    KeyPlace keyPlace(qsizetype row) const;
    // After OK, the keys of the list by source name, those kept and those
    // written; an empty key was removed.
    const QHash<QString, QString> &savedKeys() const { return m_keyBook.savedKeys(); }

    QListWidget *sourceList() const { return m_list; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *editButton() const { return m_edit; }
    QPushButton *removeButton() const { return m_remove; }
    QPushButton *upButton() const { return m_up; }
    QPushButton *downButton() const { return m_down; }
    QPushButton *importButton() const { return m_import; }
    QPushButton *exportButton() const { return m_export; }
    QPushButton *forgetButton() const { return m_forget; }
    QLabel *inUseNote() const { return m_inUseNote; }
    QLabel *statusLabel() const { return m_status; }
    // The editor open over the dialog, if any.
    QuoteSourceEditor *editor() const { return m_editor; }

    void addSource();
    void editSource();
    void removeSource();
    void moveUp();
    void moveDown();
    void importSources();
    void exportSources();
    void forgetPrices();

    void accept() override;
    void reject() override;

Q_SIGNALS:
    // Every key read on opening has answered.
    void keysRead();

private:
    void buildLayout();
    void showInUse(const QuoteSourcesDialogSetup &setup);
    void readKeys();
    void openEditor(qsizetype row);
    void takeEdit(qsizetype row, const QuoteSource &source, const QString &key);
    void move(qsizetype from, qsizetype to);
    void showList(qsizetype current);
    void updateButtons();
    void writeKeys();
    void keyWritten(const QString &name, const KeyAnswer &answer);
    QStringList names(qsizetype except) const;

    KeyStore &m_keys;
    SourcesFileChooser &m_files;
    CertificateFileChooser &m_certificates;
    const Saver m_save;
    const Forgetter m_forgetPrices;
    const SourceTestTransfers m_testTransfers;

    QList<QuoteSource> m_sources;
    // Their keys, row for row.
    KeyBook m_keyBook;
    int m_keysUnread = 0;
    int m_keysUnwritten = 0;
    QStringList m_keyErrors;
    QPointer<QuoteSourceEditor> m_editor;

    QListWidget *m_list = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
    QPushButton *m_import = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_forget = nullptr;
    QPushButton *m_ok = nullptr;
    QLabel *m_inUseNote = nullptr;
    QLabel *m_status = nullptr;
};
