#include "quotesourcesdialog.h"

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
    , m_sources(setup.saved)
    , m_keyBook(sourceNames(setup.saved))
{
    setWindowTitle(tr("Quote Sources"));
    buildLayout();
    showInUse(setup);
    m_status->setText(setup.savedProblems.join(u'\n'));
    showList(m_sources.isEmpty() ? -1 : 0);
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
    m_keysUnread = int(m_keyBook.size());
    for (qsizetype row = 0; row < m_keyBook.size(); ++row) {
        const QString name = m_keyBook.keptAs(row);
        m_keys.readKey(name, [alive, name](const KeyAnswer &answer) {
            if (!alive)
                return;
            alive->m_keyBook.keyRead(name, answer);
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
    return m_sources;
}

KeyPlace QuoteSourcesDialog::keyPlace(qsizetype row) const
{
    return m_keyBook.place(row);
}

QStringList QuoteSourcesDialog::names(qsizetype except) const
{
    QStringList taken;
    for (qsizetype row = 0; row < m_sources.size(); ++row) {
        if (row != except)
            taken << m_sources[row].name;
    }
    return taken;
}

void QuoteSourcesDialog::showList(qsizetype current)
{
    m_list->clear();
    for (qsizetype row = 0; row < m_sources.size(); ++row) {
        const QuoteSource &source = m_sources[row];
        const KeyPlace place = m_keyBook.place(row);
        QStringList parts{sourceFormatName(source.format)};
        if (m_keyBook.toWrite(row) && !m_keyBook.key(row).isEmpty())
            parts << tr("key to keep");
        else if (m_keyBook.toWrite(row) && place != KeyPlace::None)
            parts << tr("key to remove");
        else if (place != KeyPlace::None)
            parts << placeText(place);
        m_list->addItem(tr("%1 (%2)").arg(source.name, parts.join(QStringLiteral(", "))));
    }
    m_list->setCurrentRow(int(current));
    updateButtons();
}

void QuoteSourcesDialog::updateButtons()
{
    const int row = m_list->currentRow();
    const bool chosen = row >= 0;
    m_add->setEnabled(m_sources.size() < SourceLimits::kMaxSources);
    m_edit->setEnabled(chosen);
    m_remove->setEnabled(chosen);
    m_up->setEnabled(row > 0);
    m_down->setEnabled(chosen && row + 1 < m_sources.size());
    m_export->setEnabled(!m_sources.isEmpty());
}

void QuoteSourcesDialog::addSource()
{
    if (m_sources.size() < SourceLimits::kMaxSources)
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
    const QuoteSource source = row >= 0 ? m_sources[row] : QuoteSource{};
    m_editor = new QuoteSourceEditor(source, m_keyBook.key(row), names(row), m_certificates, m_testTransfers, this);
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
        m_sources << source;
        m_keyBook.add(source.name, key);
        showList(m_sources.size() - 1);
        return;
    }
    m_sources[row] = source;
    m_keyBook.edit(row, source.name, key);
    showList(row);
}

void QuoteSourcesDialog::removeSource()
{
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    m_sources.removeAt(row);
    m_keyBook.remove(row);
    showList(std::min<qsizetype>(row, m_sources.size() - 1));
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
    if (from < 0 || to < 0 || from >= m_sources.size() || to >= m_sources.size())
        return;
    m_sources.swapItemsAt(from, to);
    m_keyBook.swap(from, to);
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
    m_keyBook.import(sourceNames(read.sources));
    m_sources = read.sources;
    showList(m_sources.isEmpty() ? -1 : 0);
    // No translation is loaded to turn "%n source(s)" into words: the
    // singular is chosen here.
    const int count = int(m_sources.size());
    m_status->setText((count == 1 ? tr("Imported 1 source from %1.") : tr("Imported %1 sources from %2.").arg(count))
                          .arg(path));
}

void QuoteSourcesDialog::exportSources()
{
    const QString path = m_files.chooseSourcesToExport(this);
    if (path.isEmpty())
        return;
    const SourcesFileProblem problem = writeSourcesFile(path, sources());
    const int count = int(m_sources.size());
    const QString exported = count == 1 ? tr("Exported 1 source to %1, without its key.")
                                        : tr("Exported %1 sources to %2, without their keys.").arg(count);
    m_status->setText(problem.ok() ? exported.arg(path) : sourcesFileProblemText(path, problem));
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
    const QList<KeyWrite> writes = m_keyBook.takeWrites();
    m_keyErrors.clear();
    if (writes.isEmpty()) {
        QDialog::accept();
        return;
    }
    m_keysUnwritten = int(writes.size());
    m_ok->setEnabled(false);
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
    m_keyBook.written(name, answer);
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
