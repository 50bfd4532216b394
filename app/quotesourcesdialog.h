#pragma once

#include "keybook.h"
#include "keystore.h"
#include "transfersettings.h"
#include "quotesourceeditor.h"
#include "quotesource.h"
#include "quotesourceresolution.h"
#include "ratesource.h"
#include "readymadesourcedialog.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <optional>

class CertificateFileChooser;
class QLabel;
class QAction;
class QLayout;
class QListWidget;
class QPushButton;
class SourcesFileChooser;

// What the quote sources dialog starts from.
struct QuoteSourcesDialogSetup {
    QList<QuoteSource> saved;     // the saved list, in order
    QStringList savedProblems;    // why saved sources were ignored
    QuoteSourcesResolution inUse; // what calculations use now
    SourceTestTransfers testTransfers;   // the proxy, limits and trust of a source's Test
    QList<RateSource> savedRates; // the saved exchange rate sources, in order
    QList<ReadyMadeChoice> readyMade;   // what Add offers to start from
    QString keyFile;              // where keys go when the keyring does not take them
};

// The user's list of quote sources, asked in order for each symbol, and of
// exchange rate sources, asked in order for each pair: added, edited,
// removed, moved, imported from and exported to a sources file, with each
// source's API key; a source may start from a ready-made one. An empty
// list says what a source is, and Add has the focus. Says so when the
// environment puts other lists in use.
// OK saves the lists and the keys, and says where each key is kept; Cancel
// keeps nothing. Forget Prices empties the last known prices and rates.
class QuoteSourcesDialog : public QDialog
{
    Q_OBJECT

public:
    // Keeps the lists; returns why it could not, empty on success.
    using Saver = std::function<QString(const QList<QuoteSource> &sources, const QList<RateSource> &rates)>;
    // Forgets the last known prices; returns why it could not, empty on success.
    using Forgetter = std::function<QString()>;

    QuoteSourcesDialog(const QuoteSourcesDialogSetup &setup, KeyStore &keys, SourcesFileChooser &files,
                       CertificateFileChooser &certificates, Saver save, Forgetter forget,
                       QWidget *parent = nullptr);
    ~QuoteSourcesDialog() override;

    QList<QuoteSource> sources() const { return m_quotes.sources; }
    QList<RateSource> rates() const { return m_rates.sources; }
    // Where each source's key is kept, as last read or written.
    KeyPlace keyPlace(qsizetype row) const;
    // After OK, the keys of both lists by source name, those kept and those
    // written; an empty key was removed.
    QHash<QString, QString> savedKeys() const;

    QListWidget *sourceList() const { return m_quotes.list; }
    QPushButton *addButton() const { return m_quotes.add; }
    QPushButton *editButton() const { return m_quotes.edit; }
    QPushButton *removeButton() const { return m_quotes.remove; }
    QPushButton *upButton() const { return m_quotes.up; }
    QPushButton *downButton() const { return m_quotes.down; }
    QListWidget *rateList() const { return m_rates.list; }
    QPushButton *addRateSourceButton() const { return m_rates.add; }
    QLabel *ratesNote() const { return m_ratesNote; }
    QLabel *emptyNote() const { return m_emptyNote; }
    // Add's two ways: an empty source, or one of the ready-made ones.
    QAction *ownSourceAction() const { return m_ownSource; }
    QAction *readyMadeAction() const { return m_readyMade; }
    // The list of ready-made sources open over the dialog, if any.
    ReadyMadeSourceDialog *readyMadeDialog() const { return m_readyMadeDialog; }
    QPushButton *importButton() const { return m_import; }
    QPushButton *exportButton() const { return m_export; }
    QPushButton *forgetButton() const { return m_forget; }
    QLabel *inUseNote() const { return m_inUseNote; }
    QLabel *statusLabel() const { return m_status; }
    // The editor open over the dialog, if any.
    QuoteSourceEditor *editor() const { return m_editor; }

    void addSource() { add(m_quotes); }
    void chooseReadyMade();
    void editSource() { edit(m_quotes); }
    void removeSource() { remove(m_quotes); }
    void moveUp() { move(m_quotes, -1); }
    void moveDown() { move(m_quotes, +1); }
    void importSources();
    void exportSources();
    void forgetPrices();

    void accept() override;
    void reject() override;

Q_SIGNALS:
    // Every key read on opening has answered.
    void keysRead();

private:
    // One of the two lists, its keys row for row, and its widgets.
    struct Listing {
        Listing(SourceRole role, const QList<QuoteSource> &saved);

        const SourceRole role;
        QList<QuoteSource> sources;
        KeyBook keys;
        QListWidget *list = nullptr;
        QPushButton *add = nullptr;
        QPushButton *edit = nullptr;
        QPushButton *remove = nullptr;
        QPushButton *up = nullptr;
        QPushButton *down = nullptr;
    };

    void buildLayout();
    QLayout *buildListing(Listing &listing, const QStringList &texts);
    void showInUse(const QuoteSourcesDialogSetup &setup);
    void readKeys();
    void readKeys(Listing &listing);
    void add(Listing &listing);
    void edit(Listing &listing);
    void remove(Listing &listing);
    void move(Listing &listing, int by);
    // Opens the editor on the row's source, or for a new one (row -1) on
    // `start` when given.
    void openEditor(Listing &listing, qsizetype row, const std::optional<QuoteSource> &start = std::nullopt);
    void takeEdit(Listing &listing, qsizetype row, const QuoteSource &source, const QString &key);
    void showList(Listing &listing, qsizetype current);
    void showLists();
    void updateButtons(Listing &listing);
    void writeKeys();
    void keyWritten(const QString &name, const KeyAnswer &answer);
    // Every name in both lists but the row's own: a key is kept under its
    // source's name, so no two sources share one.
    QStringList names(const Listing &listing, qsizetype except) const;

    KeyStore &m_keys;
    SourcesFileChooser &m_files;
    CertificateFileChooser &m_certificates;
    const Saver m_save;
    const Forgetter m_forgetPrices;
    const SourceTestTransfers m_testTransfers;

    Listing m_quotes;
    Listing m_rates;
    int m_keysUnread = 0;
    int m_keysUnwritten = 0;
    QStringList m_keyErrors;
    QStringList m_keysToFile;   // the sources whose keys the last OK put in the key file
    QPointer<QuoteSourceEditor> m_editor;
    QPointer<ReadyMadeSourceDialog> m_readyMadeDialog;
    const QList<ReadyMadeChoice> m_readyMadeChoices;
    const QString m_keyFile;

    QLabel *m_ratesNote = nullptr;
    QLabel *m_emptyNote = nullptr;
    QAction *m_ownSource = nullptr;
    QAction *m_readyMade = nullptr;
    QPushButton *m_import = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_forget = nullptr;
    QPushButton *m_ok = nullptr;
    QLabel *m_inUseNote = nullptr;
    QLabel *m_status = nullptr;
};
