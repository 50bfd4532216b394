#include "quotesourcesdialog.h"

#include "quotesiteresolution.h"
#include "quotesourceeditor.h"
#include "sourcesfile.h"
#include "sourcesfilechooser.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
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

QString placeText(KeyPlace place)
{
    switch (place) {
    case KeyPlace::None: return {};
    case KeyPlace::Keyring: return QuoteSourcesDialog::tr("key in the keyring");
    case KeyPlace::File: return QuoteSourcesDialog::tr("key in the key file");
    }
    Q_UNREACHABLE();
}

QStringList sourceNames(const QList<QuoteSource> &sources)
{
    QStringList names;
    for (const QuoteSource &source : sources)
        names << source.name;
    return names;
}

} // namespace

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
{
    setWindowTitle(tr("Quote Sources"));
    buildLayout();
    for (const QuoteSource &source : setup.saved)
        m_entries << Entry{source, {}, KeyPlace::None, source.name, false};
    showInUse(setup);
    m_status->setText(setup.savedProblems.join(u'\n'));
    showList(m_entries.isEmpty() ? -1 : 0);
    readKeys();
    m_list->setFocus(Qt::OtherFocusReason);
}

QuoteSourcesDialog::~QuoteSourcesDialog() = default;

void QuoteSourcesDialog::buildLayout()
{
    m_list = new QListWidget(this);
    m_list->setAccessibleName(tr("Quote sources, asked in this order"));
    auto *listLabel = new QLabel(tr("&Sources, asked in this order:"), this);
    listLabel->setBuddy(m_list);

    m_add = button(this, tr("&Add..."), tr("Add a source"));
    m_edit = button(this, tr("&Edit..."), tr("Edit the source"));
    m_remove = button(this, tr("&Remove"), tr("Remove the source"));
    m_up = button(this, tr("Move &Up"), tr("Move the source up"));
    m_down = button(this, tr("Move &Down"), tr("Move the source down"));
    m_import = button(this, tr("&Import..."), tr("Import sources from a file"));
    m_export = button(this, tr("E&xport..."), tr("Export the sources to a file"));
    m_forget = button(this, tr("&Forget Prices"), tr("Forget the last known prices"));
    auto *side = new QVBoxLayout;
    for (QPushButton *each : {m_add, m_edit, m_remove, m_up, m_down, m_import, m_export})
        side->addWidget(each);
    side->addStretch(1);
    side->addWidget(m_forget);

    m_inUseNote = sourceNoteLabel(this, tr("Sources in use"));
    m_status = sourceNoteLabel(this, tr("Status"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(tr("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QuoteSourcesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QuoteSourcesDialog::reject);

    connect(m_add, &QPushButton::clicked, this, &QuoteSourcesDialog::addSource);
    connect(m_edit, &QPushButton::clicked, this, &QuoteSourcesDialog::editSource);
    connect(m_remove, &QPushButton::clicked, this, &QuoteSourcesDialog::removeSource);
    connect(m_up, &QPushButton::clicked, this, &QuoteSourcesDialog::moveUp);
    connect(m_down, &QPushButton::clicked, this, &QuoteSourcesDialog::moveDown);
    connect(m_import, &QPushButton::clicked, this, &QuoteSourcesDialog::importSources);
    connect(m_export, &QPushButton::clicked, this, &QuoteSourcesDialog::exportSources);
    connect(m_forget, &QPushButton::clicked, this, &QuoteSourcesDialog::forgetPrices);
    connect(m_list, &QListWidget::currentRowChanged, this, &QuoteSourcesDialog::updateButtons);
    connect(m_list, &QListWidget::itemActivated, this, &QuoteSourcesDialog::editSource);

    auto *listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    listRow->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(listLabel);
    layout->addLayout(listRow);
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
    const QPointer<QuoteSourcesDialog> alive(this);
    m_keysUnread = int(m_entries.size());
    for (const Entry &entry : std::as_const(m_entries)) {
        const QString name = entry.keptAs;
        m_keys.readKey(name, [alive, name](const KeyAnswer &answer) {
            if (!alive)
                return;
            for (Entry &each : alive->m_entries) {
                if (each.keptAs == name && !each.keyChanged) {
                    each.key = answer.key;
                    each.place = answer.place;
                }
            }
            if (!answer.error.isEmpty())
                alive->m_status->setText(answer.error);
            alive->showList(alive->m_list->currentRow());
            if (--alive->m_keysUnread == 0)
                Q_EMIT alive->keysRead();
        });
    }
}

QList<QuoteSource> QuoteSourcesDialog::sources() const
{
    QList<QuoteSource> listed;
    for (const Entry &entry : m_entries)
        listed << entry.source;
    return listed;
}

KeyPlace QuoteSourcesDialog::keyPlace(qsizetype row) const
{
    return m_entries.value(row).place;
}

QStringList QuoteSourcesDialog::names(qsizetype except) const
{
    QStringList taken;
    for (qsizetype row = 0; row < m_entries.size(); ++row) {
        if (row != except)
            taken << m_entries[row].source.name;
    }
    return taken;
}

void QuoteSourcesDialog::showList(qsizetype current)
{
    m_list->clear();
    for (const Entry &entry : std::as_const(m_entries)) {
        QStringList parts{sourceFormatName(entry.source.format)};
        if (entry.keyChanged && !entry.key.isEmpty())
            parts << tr("key to keep");
        else if (entry.keyChanged && entry.place != KeyPlace::None)
            parts << tr("key to remove");
        else if (entry.place != KeyPlace::None)
            parts << placeText(entry.place);
        m_list->addItem(tr("%1 (%2)").arg(entry.source.name, parts.join(QStringLiteral(", "))));
    }
    m_list->setCurrentRow(int(current));
    updateButtons();
}

void QuoteSourcesDialog::updateButtons()
{
    const int row = m_list->currentRow();
    const bool chosen = row >= 0;
    m_add->setEnabled(m_entries.size() < SourceLimits::kMaxSources);
    m_edit->setEnabled(chosen);
    m_remove->setEnabled(chosen);
    m_up->setEnabled(row > 0);
    m_down->setEnabled(chosen && row + 1 < m_entries.size());
    m_export->setEnabled(!m_entries.isEmpty());
}

void QuoteSourcesDialog::addSource()
{
    if (m_entries.size() < SourceLimits::kMaxSources)
        openEditor(-1);
}

void QuoteSourcesDialog::editSource()
{
    if (m_list->currentRow() >= 0)
        openEditor(m_list->currentRow());
}

void QuoteSourcesDialog::openEditor(qsizetype row)
{
    if (m_editor)
        return;
    const Entry entry = row >= 0 ? m_entries[row] : Entry{};
    m_editor = new QuoteSourceEditor(entry.source, entry.key, names(row), m_certificates, m_testTransfers, this);
    connect(m_editor, &QDialog::finished, this, [this, row](int result) {
        if (result == QDialog::Accepted)
            takeEdit(row, m_editor->typed(), m_editor->key());
        // Not deleted from its own signal; closed, it is no longer the editor.
        m_editor->deleteLater();
        m_editor = nullptr;
    });
    // Not run: the window's loop keeps going, and tests can reach it.
    m_editor->open();
}

void QuoteSourcesDialog::takeEdit(qsizetype row, const QuoteSource &source, const QString &key)
{
    if (row < 0) {
        m_entries << Entry{source, key, KeyPlace::None, {}, !key.isEmpty()};
        showList(m_entries.size() - 1);
        return;
    }
    Entry &entry = m_entries[row];
    // A key is kept under its source's name, so a rename moves it.
    const bool renamed = !entry.keptAs.isEmpty() && source.name != entry.keptAs;
    entry.keyChanged = entry.keyChanged || key != entry.key || renamed;
    entry.source = source;
    entry.key = key;
    showList(row);
}

void QuoteSourcesDialog::removeSource()
{
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    if (!m_entries[row].keptAs.isEmpty())
        m_dropped << m_entries[row].keptAs;
    m_entries.removeAt(row);
    showList(std::min<qsizetype>(row, m_entries.size() - 1));
}

void QuoteSourcesDialog::moveUp()
{
    move(m_list->currentRow(), m_list->currentRow() - 1);
}

void QuoteSourcesDialog::moveDown()
{
    move(m_list->currentRow(), m_list->currentRow() + 1);
}

void QuoteSourcesDialog::move(qsizetype from, qsizetype to)
{
    if (from < 0 || to < 0 || from >= m_entries.size() || to >= m_entries.size())
        return;
    m_entries.swapItemsAt(from, to);
    showList(to);
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
    // The file's list takes the place of this one; a source of the same
    // name keeps its key, the keys of the others go on OK.
    QList<Entry> imported;
    for (const QuoteSource &source : read.sources) {
        const auto same = std::find_if(m_entries.cbegin(), m_entries.cend(), [&](const Entry &entry) {
            return entry.source.name.compare(source.name, Qt::CaseInsensitive) == 0;
        });
        Entry entry = same != m_entries.cend() ? *same : Entry{};
        entry.source = source;
        imported << entry;
    }
    for (const Entry &entry : std::as_const(m_entries)) {
        const bool kept = std::any_of(imported.cbegin(), imported.cend(),
                                      [&](const Entry &each) { return each.keptAs == entry.keptAs; });
        if (!kept && !entry.keptAs.isEmpty())
            m_dropped << entry.keptAs;
    }
    m_entries = imported;
    showList(m_entries.isEmpty() ? -1 : 0);
    m_status->setText(tr("Imported %n source(s) from %1.", nullptr, int(m_entries.size())).arg(path));
}

void QuoteSourcesDialog::exportSources()
{
    const QString path = m_files.chooseSourcesToExport(this);
    if (path.isEmpty())
        return;
    const SourcesFileProblem problem = writeSourcesFile(path, sources());
    m_status->setText(problem.ok()
                          ? tr("Exported %n source(s) to %1, without their keys.", nullptr, int(m_entries.size()))
                                .arg(path)
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
    const QString error = m_save(sources());
    if (!error.isEmpty()) {
        m_status->setText(error);
        return;
    }
    writeKeys();
}

void QuoteSourcesDialog::writeKeys()
{
    QList<std::pair<QString, QString>> writes;
    for (const QString &name : std::as_const(m_dropped))
        writes.append({name, QString()});
    for (Entry &entry : m_entries) {
        if (!entry.keyChanged)
            continue;
        // A renamed source's key moves to its new name.
        if (!entry.keptAs.isEmpty() && entry.keptAs != entry.source.name)
            writes.append({entry.keptAs, QString()});
        writes.append({entry.source.name, entry.key});
    }
    m_dropped.clear();
    m_keyErrors.clear();
    for (const auto &[name, key] : std::as_const(writes))
        m_savedKeys.insert(name, key);
    // Keys read here that the service started without, for a source new to the list.
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.place != KeyPlace::None)
            m_savedKeys.insert(entry.source.name, entry.key);
    }
    if (writes.isEmpty()) {
        QDialog::accept();
        return;
    }
    m_keysUnwritten = int(writes.size());
    m_ok->setEnabled(false);
    const QPointer<QuoteSourcesDialog> alive(this);
    for (const auto &[name, key] : writes) {
        m_keys.writeKey(name, key, [alive, name](const KeyAnswer &answer) {
            if (alive)
                alive->keyWritten(name, answer);
        });
    }
}

void QuoteSourcesDialog::keyWritten(const QString &name, const KeyAnswer &answer)
{
    for (Entry &entry : m_entries) {
        if (entry.source.name == name) {
            entry.keptAs = name;
            entry.keyChanged = !answer.error.isEmpty();
            entry.place = answer.place;
        }
    }
    if (!answer.error.isEmpty())
        m_keyErrors << tr("%1: the key could not be kept: %2").arg(name, answer.error);
    if (--m_keysUnwritten > 0)
        return;
    m_ok->setEnabled(true);
    showList(m_list->currentRow());
    if (!m_keyErrors.isEmpty()) {
        // The list is saved; the keys that failed are tried again on OK.
        m_status->setText(m_keyErrors.join(u'\n'));
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
