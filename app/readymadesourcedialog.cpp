#include "readymadesourcedialog.h"

#include "quotesourceeditor.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

QList<ReadyMadeChoice> readyMadeChoices(const SourcesFileRead &read)
{
    QList<ReadyMadeChoice> choices;
    if (!read.problem.ok())
        return choices;
    for (const QuoteSource &source : read.sources)
        choices.append({SourceRole::Quotes, source, read.notes.value(source.name)});
    for (const RateSource &rate : read.rates)
        choices.append({SourceRole::Rates, rate, read.notes.value(rate.name)});
    return choices;
}

ReadyMadeSourceDialog::ReadyMadeSourceDialog(QList<ReadyMadeChoice> choices, QWidget *parent)
    : QDialog(parent)
    , m_choices(std::move(choices))
{
    setWindowTitle(tr("Ready-Made Sources"));
    m_list = new QListWidget(this);
    m_list->setAccessibleName(tr("Ready-made sources"));
    for (const ReadyMadeChoice &choice : m_choices) {
        m_list->addItem(choice.role == SourceRole::Rates ? tr("%1 (exchange rates)").arg(choice.source.name)
                                                         : tr("%1 (prices)").arg(choice.source.name));
    }
    auto *label = new QLabel(tr("&Start from:"), this);
    label->setBuddy(m_list);

    m_note = sourceNoteLabel(this, tr("About the source"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_use = buttons->button(QDialogButtonBox::Ok);
    m_use->setText(tr("&Use"));
    m_use->setAccessibleName(tr("Use the source chosen"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::currentRowChanged, this, &ReadyMadeSourceDialog::showNote);
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_note);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 64);

    m_list->setCurrentRow(m_choices.isEmpty() ? -1 : 0);
    showNote();
    m_list->setFocus(Qt::OtherFocusReason);
}

std::optional<ReadyMadeChoice> ReadyMadeSourceDialog::chosen() const
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_choices.size())
        return std::nullopt;
    return m_choices[row];
}

void ReadyMadeSourceDialog::showNote()
{
    const std::optional<ReadyMadeChoice> choice = chosen();
    m_use->setEnabled(choice.has_value());
    if (!choice) {
        m_note->setText(tr("No ready-made source could be read."));
        return;
    }
    QString text = choice->note.note;
    if (!choice->note.documentation.isEmpty())
        text += QLatin1Char('\n') + tr("Documentation: %1").arg(choice->note.documentation);
    m_note->setText(text);
}
