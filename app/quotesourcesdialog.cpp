#include "quotesourcesdialog.h"

#include "quotesourceeditor.h"
#include "sourceaddress.h"
#include "sourcesfile.h"
#include "sourcesfilechooser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace {

QPushButton *button(QWidget *parent, const QString &text, const QString &accessibleName)
{
    auto *made = new QPushButton(text, parent);
    made->setAccessibleName(accessibleName);
    made->setAutoDefault(false);
    return made;
}

// Where a key is kept, naming the key file when its path is known.
QString placeText(KeyPlace place, const QString &keyFile)
{
    switch (place) {
    case KeyPlace::None: return {};
    case KeyPlace::Keyring: return QuoteSourcesDialog::tr("key in the keyring");
    case KeyPlace::File:
        return keyFile.isEmpty() ? QuoteSourcesDialog::tr("key in the key file")
                                 : QuoteSourcesDialog::tr("key in the key file %1").arg(keyFile);
    }
    Q_UNREACHABLE();
}

// "5 sources", "1 source", and "and 1 rate source" when there are any.
QString countedSources(qsizetype sources, qsizetype rates)
{
    QString text = sources == 1 ? QuoteSourcesDialog::tr("1 source") : QuoteSourcesDialog::tr("%1 sources").arg(sources);
    if (rates > 0)
        text += rates == 1 ? QuoteSourcesDialog::tr(" and 1 rate source")
                           : QuoteSourcesDialog::tr(" and %1 rate sources").arg(rates);
    return text;
}

// "~/.config/Fundtally/keys.conf": a path in the home folder, as short as it is clear.
QString homeShortened(const QString &path)
{
    const QString home = QDir::homePath() + u'/';
    return path.startsWith(home) ? QStringLiteral("~/") + path.mid(home.size()) : path;
}

QStringList sourceNames(const QList<QuoteSource> &sources)
{
    QStringList names;
    for (const QuoteSource &source : sources)
        names << source.name;
    return names;
}

} // namespace

QuoteSourcesDialog::Listing::Listing(SourceRole listed, const QList<QuoteSource> &saved)
    : role(listed)
    , sources(saved)
    , keys(sourceNames(saved))
{
}

QuoteSourcesDialog::QuoteSourcesDialog(const QuoteSourcesDialogSetup &setup, KeyStore &keys,
                                       SourcesFileChooser &files, CertificateFileChooser &certificates, Saver save,
                                       Forgetter forget, QWidget *parent)
    : QDialog(parent)
    , m_keys(keys)
    , m_files(files)
    , m_certificates(certificates)
    , m_save(std::move(save))
    , m_forgetPrices(std::move(forget))
    , m_testTransfers(setup.testTransfers)
    , m_quotes(SourceRole::Quotes, setup.saved)
    , m_rates(SourceRole::Rates, setup.savedRates)
    , m_readyMadeChoices(setup.readyMade)
    , m_keyFile(homeShortened(setup.keyFile))
{
    setWindowTitle(tr("Quote Sources"));
    buildLayout();
    showInUse(setup);
    m_status->setText(setup.savedProblems.join(u'\n'));
    showLists();
    readKeys();
    // A first visit starts where a source is added.
    if (m_quotes.sources.isEmpty())
        m_quotes.add->setFocus(Qt::OtherFocusReason);
    else
        m_quotes.list->setFocus(Qt::OtherFocusReason);
}

QuoteSourcesDialog::~QuoteSourcesDialog() = default;

QLayout *QuoteSourcesDialog::buildListing(Listing &listing, const QStringList &texts)
{
    // texts: the label, the list's name, then each button's text and name.
    listing.list = new QListWidget(this);
    listing.list->setAccessibleName(texts[1]);
    auto *label = new QLabel(texts[0], this);
    label->setBuddy(listing.list);
    listing.add = button(this, texts[2], texts[3]);
    listing.edit = button(this, texts[4], texts[5]);
    listing.remove = button(this, texts[6], texts[7]);
    listing.up = button(this, texts[8], texts[9]);
    listing.down = button(this, texts[10], texts[11]);
    if (listing.role == SourceRole::Quotes) {
        // Pressed, it offers both ways to start a source.
        // The dialogs open once the menu has closed.
        auto *ways = new QMenu(listing.add);
        m_readyMade = ways->addAction(tr("From a &ready-made source..."));
        m_ownSource = ways->addAction(tr("Your &own source..."));
        connect(m_readyMade, &QAction::triggered, this, &QuoteSourcesDialog::chooseReadyMade, Qt::QueuedConnection);
        connect(m_ownSource, &QAction::triggered, this, [this, &listing] { add(listing); }, Qt::QueuedConnection);
        listing.add->setMenu(ways);
    } else {
        connect(listing.add, &QPushButton::clicked, this, [this, &listing] { add(listing); });
    }
    connect(listing.edit, &QPushButton::clicked, this, [this, &listing] { edit(listing); });
    connect(listing.remove, &QPushButton::clicked, this, [this, &listing] { remove(listing); });
    connect(listing.up, &QPushButton::clicked, this, [this, &listing] { move(listing, -1); });
    connect(listing.down, &QPushButton::clicked, this, [this, &listing] { move(listing, +1); });
    connect(listing.list, &QListWidget::currentRowChanged, this, [this, &listing] { updateButtons(listing); });
    connect(listing.list, &QListWidget::itemActivated, this, [this, &listing] { edit(listing); });

    auto *side = new QVBoxLayout;
    for (QPushButton *each : {listing.add, listing.edit, listing.remove, listing.up, listing.down})
        side->addWidget(each);
    side->addStretch(1);
    auto *row = new QHBoxLayout;
    row->addWidget(listing.list, 1);
    row->addLayout(side);
    auto *layout = new QVBoxLayout;
    layout->addWidget(label);
    layout->addLayout(row);
    return layout;
}

void QuoteSourcesDialog::buildLayout()
{
    QLayout *quotes = buildListing(
        m_quotes, {tr("&Sources, asked in this order:"), tr("Quote sources, asked in this order"), tr("&Add..."),
                   tr("Add a source"), tr("&Edit..."), tr("Edit the source"), tr("&Remove"), tr("Remove the source"),
                   tr("Move &Up"), tr("Move the source up"), tr("Move &Down"), tr("Move the source down")});
    QLayout *rates = buildListing(
        m_rates, {tr("Exchange ra&tes, asked in this order:"), tr("Exchange rate sources, asked in this order"),
                  tr("&New..."), tr("Add a rate source"), tr("Chan&ge..."), tr("Edit the rate source"),
                  tr("Remo&ve"), tr("Remove the rate source"), tr("Move U&p"), tr("Move the rate source up"),
                  tr("Move Do&wn"), tr("Move the rate source down")});
    m_ratesNote = sourceNoteLabel(this, tr("Exchange rates note"));
    m_ratesNote->setText(tr("With none here, rates come from the central bank's reference rates (%1).")
                             .arg(builtInRateSource().url));

    m_emptyNote = sourceNoteLabel(this, tr("About quote sources"));
    m_emptyNote->setText(tr("A quote source is a service on the web that gives a symbol's price. Add one: "
                            "Add, then From a ready-made source, lists services that need at most a free key "
                            "and says where to get one."));

    m_import = button(this, tr("&Import..."), tr("Import sources from a file"));
    m_export = button(this, tr("E&xport..."), tr("Export the sources to a file"));
    m_forget = button(this, tr("&Forget Prices"), tr("Forget the last known prices and rates"));
    auto *fileRow = new QHBoxLayout;
    for (QPushButton *each : {m_import, m_export})
        fileRow->addWidget(each);
    fileRow->addStretch(1);
    fileRow->addWidget(m_forget);

    m_inUseNote = sourceNoteLabel(this, tr("Sources in use"));
    m_status = sourceNoteLabel(this, tr("Status"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(tr("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QuoteSourcesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QuoteSourcesDialog::reject);
    connect(m_import, &QPushButton::clicked, this, &QuoteSourcesDialog::importSources);
    connect(m_export, &QPushButton::clicked, this, &QuoteSourcesDialog::exportSources);
    connect(m_forget, &QPushButton::clicked, this, &QuoteSourcesDialog::forgetPrices);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_emptyNote);
    layout->addLayout(quotes, 3);
    layout->addLayout(rates, 1);
    layout->addWidget(m_ratesNote);
    layout->addLayout(fileRow);
    layout->addWidget(m_inUseNote);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 70);
}

void QuoteSourcesDialog::showInUse(const QuoteSourcesDialogSetup &setup)
{
    const QString inUse = sourceNames(setup.inUse.sources).join(QStringLiteral(", "));
    QStringList notes;
    switch (setup.inUse.origin) {
    case QuoteSourcesOrigin::SourcesFile:
        notes << tr("%1 names a sources file: calculations use its sources (%2), not the list here.")
                     .arg(QLatin1String(QuoteSourcesEnvironment::kSourcesFileVariable), inUse);
        break;
    case QuoteSourcesOrigin::EnvironmentHost:
        notes << tr("%1 is set: calculations use that site's quote page (%2), not the list here.")
                     .arg(QLatin1String(QuoteSiteEnvironment::kHostVariable), inUse);
        break;
    case QuoteSourcesOrigin::BuiltIn:
        notes << tr("No list is saved: calculations use the quote page of the site built in (%1).").arg(inUse);
        break;
    case QuoteSourcesOrigin::Saved:
    case QuoteSourcesOrigin::SavedSite:
    case QuoteSourcesOrigin::None:
        break;
    }
    if (!setup.inUse.message.isEmpty())
        notes << setup.inUse.message;
    m_inUseNote->setText(notes.join(u'\n'));
    m_inUseNote->setVisible(!notes.isEmpty());
}

void QuoteSourcesDialog::readKeys()
{
    m_keysUnread = int(m_quotes.keys.size() + m_rates.keys.size());
    readKeys(m_quotes);
    readKeys(m_rates);
}

void QuoteSourcesDialog::readKeys(Listing &listing)
{
    const QPointer<QuoteSourcesDialog> alive(this);
    for (qsizetype row = 0; row < listing.keys.size(); ++row) {
        const QString name = listing.keys.keptAs(row);
        m_keys.readKey(name, [alive, &listing, name](const KeyAnswer &answer) {
            if (!alive)
                return;
            listing.keys.keyRead(name, answer);
            if (!answer.error.isEmpty())
                alive->m_status->setText(answer.error);
            alive->showList(listing, listing.list->currentRow());
            if (--alive->m_keysUnread == 0)
                Q_EMIT alive->keysRead();
        });
    }
}

KeyPlace QuoteSourcesDialog::keyPlace(qsizetype row) const
{
    return m_quotes.keys.place(row);
}

QHash<QString, QString> QuoteSourcesDialog::savedKeys() const
{
    QHash<QString, QString> keys = m_quotes.keys.savedKeys();
    keys.insert(m_rates.keys.savedKeys());
    return keys;
}

QStringList QuoteSourcesDialog::names(const Listing &listing, qsizetype except) const
{
    QStringList taken;
    for (const Listing *each : {&m_quotes, &m_rates}) {
        for (qsizetype row = 0; row < each->sources.size(); ++row) {
            if (each != &listing || row != except)
                taken << each->sources[row].name;
        }
    }
    return taken;
}

void QuoteSourcesDialog::showList(Listing &listing, qsizetype current)
{
    listing.list->clear();
    for (qsizetype row = 0; row < listing.sources.size(); ++row) {
        const QuoteSource &source = listing.sources[row];
        const KeyPlace place = listing.keys.place(row);
        QStringList parts{sourceFormatName(source.format)};
        if (listing.keys.toWrite(row) && !listing.keys.key(row).isEmpty())
            parts << tr("key to keep");
        else if (listing.keys.toWrite(row) && place != KeyPlace::None)
            parts << tr("key to remove");
        else if (place != KeyPlace::None)
            parts << placeText(place, m_keyFile);
        listing.list->addItem(tr("%1 (%2)").arg(source.name, parts.join(QStringLiteral(", "))));
    }
    listing.list->setCurrentRow(int(current));
    updateButtons(listing);
}

void QuoteSourcesDialog::showLists()
{
    showList(m_quotes, m_quotes.sources.isEmpty() ? -1 : 0);
    showList(m_rates, m_rates.sources.isEmpty() ? -1 : 0);
}

void QuoteSourcesDialog::updateButtons(Listing &listing)
{
    const int row = listing.list->currentRow();
    const bool chosen = row >= 0;
    const qsizetype most =
        listing.role == SourceRole::Rates ? SourceLimits::kMaxRateSources : SourceLimits::kMaxSources;
    listing.add->setEnabled(listing.sources.size() < most);
    listing.edit->setEnabled(chosen);
    listing.remove->setEnabled(chosen);
    listing.up->setEnabled(row > 0);
    listing.down->setEnabled(chosen && row + 1 < listing.sources.size());
    m_export->setEnabled(!m_quotes.sources.isEmpty() || !m_rates.sources.isEmpty());
    m_ratesNote->setVisible(m_rates.sources.isEmpty());
    m_emptyNote->setVisible(m_quotes.sources.isEmpty());
    m_readyMade->setEnabled(!m_readyMadeChoices.isEmpty());
}

void QuoteSourcesDialog::add(Listing &listing)
{
    if (listing.add->isEnabled())
        openEditor(listing, -1);
}

void QuoteSourcesDialog::edit(Listing &listing)
{
    if (listing.list->currentRow() >= 0)
        openEditor(listing, listing.list->currentRow());
}

void QuoteSourcesDialog::chooseReadyMade()
{
    if (m_editor || m_readyMadeDialog)
        return;
    m_readyMadeDialog = new ReadyMadeSourceDialog(m_readyMadeChoices, this);
    connect(m_readyMadeDialog, &QDialog::finished, this, [this](int result) {
        const std::optional<ReadyMadeChoice> choice = m_readyMadeDialog->chosen();
        m_readyMadeDialog->deleteLater();
        m_readyMadeDialog = nullptr;
        if (result != QDialog::Accepted || !choice)
            return;
        Listing &listing = choice->role == SourceRole::Rates ? m_rates : m_quotes;
        if (listing.add->isEnabled())
            openEditor(listing, -1, choice->source);
        else
            m_status->setText(tr("The list of exchange rate sources is full: remove one to add %1.")
                                  .arg(choice->source.name));
    });
    // Not run: the window's loop keeps going, and tests can reach it.
    m_readyMadeDialog->open();
}

void QuoteSourcesDialog::openEditor(Listing &listing, qsizetype row, const std::optional<QuoteSource> &start)
{
    if (m_editor)
        return;
    QuoteSource source = row >= 0 ? listing.sources[row] : start.value_or(QuoteSource{});
    // A new source starts as the commonest kind: a JSON API (for rates, one
    // asked per pair).
    if (row < 0 && !start)
        source.format = SourceFormat::Json;
    m_editor = new QuoteSourceEditor(listing.role, source, listing.keys.key(row), names(listing, row), m_certificates,
                                     m_testTransfers, this);
    // A ready-made source wants only its key.
    if (start && sourceUsesKey(source))
        m_editor->keyBox()->setFocus(Qt::OtherFocusReason);
    connect(m_editor, &QDialog::finished, this, [this, &listing, row](int result) {
        if (result == QDialog::Accepted)
            takeEdit(listing, row, m_editor->typed(), m_editor->key());
        // Not deleted from its own signal; closed, it is no longer the editor.
        m_editor->deleteLater();
        m_editor = nullptr;
    });
    // Not run: the window's loop keeps going, and tests can reach it.
    m_editor->open();
}

void QuoteSourcesDialog::takeEdit(Listing &listing, qsizetype row, const QuoteSource &source, const QString &key)
{
    if (row < 0) {
        listing.sources << source;
        listing.keys.add(source.name, key);
        showList(listing, listing.sources.size() - 1);
        return;
    }
    listing.sources[row] = source;
    listing.keys.edit(row, source.name, key);
    showList(listing, row);
}

void QuoteSourcesDialog::remove(Listing &listing)
{
    const int row = listing.list->currentRow();
    if (row < 0)
        return;
    listing.sources.removeAt(row);
    listing.keys.remove(row);
    showList(listing, std::min<qsizetype>(row, listing.sources.size() - 1));
}

void QuoteSourcesDialog::move(Listing &listing, int by)
{
    const qsizetype from = listing.list->currentRow();
    const qsizetype to = from + by;
    if (from < 0 || to < 0 || from >= listing.sources.size() || to >= listing.sources.size())
        return;
    listing.sources.swapItemsAt(from, to);
    listing.keys.swap(from, to);
    showList(listing, to);
}

void QuoteSourcesDialog::importSources()
{
    const QString path = m_files.chooseSourcesToImport(this);
    if (path.isEmpty())
        return;
    const SourcesFileRead read = readSourcesFile(path);
    if (!read.problem.ok()) {
        m_status->setText(sourcesFileProblemText(path, read.problem));
        return;
    }
    // The file's lists take the place of these; a source of the same
    // name keeps its key, the keys of the others go on OK.
    m_quotes.keys.import(sourceNames(read.sources));
    m_quotes.sources = read.sources;
    m_rates.keys.import(sourceNames(read.rates));
    m_rates.sources = read.rates;
    showLists();
    m_status->setText(tr("Imported %1 from %2.").arg(countedSources(read.sources.size(), read.rates.size()), path));
}

void QuoteSourcesDialog::exportSources()
{
    const QString path = m_files.chooseSourcesToExport(this);
    if (path.isEmpty())
        return;
    const SourcesFileProblem problem = writeSourcesFile(path, sources(), rates());
    m_status->setText(problem.ok()
                          ? tr("Exported %1 to %2, without their keys.")
                                .arg(countedSources(m_quotes.sources.size(), m_rates.sources.size()), path)
                          : sourcesFileProblemText(path, problem));
}

void QuoteSourcesDialog::forgetPrices()
{
    const QString error = m_forgetPrices();
    m_status->setText(error.isEmpty() ? tr("The last known prices are forgotten.")
                                      : tr("The last known prices could not be forgotten: %1").arg(error));
}

void QuoteSourcesDialog::accept()
{
    if (m_editor || m_keysUnwritten > 0)
        return;
    const QString error = m_save(sources(), rates());
    if (!error.isEmpty()) {
        m_status->setText(error);
        return;
    }
    writeKeys();
}

void QuoteSourcesDialog::writeKeys()
{
    const QList<KeyWrite> writes = m_quotes.keys.takeWrites() + m_rates.keys.takeWrites();
    m_keyErrors.clear();
    if (writes.isEmpty()) {
        QDialog::accept();
        return;
    }
    m_keysUnwritten = int(writes.size());
    m_keysToFile.clear();
    m_ok->setEnabled(false);
    // A keyring may first ask the user for its password, in a window of its own.
    m_status->setText(tr("Waiting for the desktop keyring\u2026"));
    const QPointer<QuoteSourcesDialog> alive(this);
    for (const KeyWrite &write : writes) {
        m_keys.writeKey(write.name, write.key, [alive, name = write.name](const KeyAnswer &answer) {
            if (alive)
                alive->keyWritten(name, answer);
        });
    }
}

void QuoteSourcesDialog::keyWritten(const QString &name, const KeyAnswer &answer)
{
    m_quotes.keys.written(name, answer);
    m_rates.keys.written(name, answer);
    if (!answer.error.isEmpty())
        m_keyErrors << tr("%1: the key could not be kept: %2").arg(name, answer.error);
    else if (answer.place == KeyPlace::File)
        m_keysToFile << name;
    if (--m_keysUnwritten > 0)
        return;
    m_ok->setEnabled(true);
    showList(m_quotes, m_quotes.list->currentRow());
    showList(m_rates, m_rates.list->currentRow());
    if (!m_keyErrors.isEmpty()) {
        // The list is saved; the keys that failed are tried again on OK.
        m_status->setText(m_keyErrors.join(u'\n'));
        return;
    }
    if (!m_keysToFile.isEmpty()) {
        // Kept, but not where the user may think: say where before closing.
        m_status->setText(tr("The desktop keyring did not take the key of %1: it is kept in the key file %2, "
                             "readable by you alone. OK closes.")
                              .arg(m_keysToFile.join(QStringLiteral(", ")), m_keyFile));
        return;
    }
    QDialog::accept();
}

void QuoteSourcesDialog::reject()
{
    if (m_editor)
        m_editor->reject();
    QDialog::reject();
}
