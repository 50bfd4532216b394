#pragma once

#include "quotesource.h"
#include "sourcesfile.h"

#include <QDialog>
#include <QList>

#include <optional>

class QLabel;
class QListWidget;
class QPushButton;

// A ready-made source to start from: which list it goes in, the source,
// and what the user needs to know to choose it.
struct ReadyMadeChoice {
    SourceRole role = SourceRole::Quotes;
    QuoteSource source;
    SourceNote note;
};

// The ready-made quote sources, then the rate sources, of a sources file's
// reading; none from one that could not be read.
QList<ReadyMadeChoice> readyMadeChoices(const SourcesFileRead &read);

// Lists the ready-made sources, each with its note (whether it needs a key
// and where to get one, its free limits) and its documentation's address.
// "Use" takes the chosen one, which the caller opens in the source editor.
class ReadyMadeSourceDialog final : public QDialog
{
    Q_OBJECT

public:
    ReadyMadeSourceDialog(QList<ReadyMadeChoice> choices, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    QLabel *noteLabel() const { return m_note; }
    QPushButton *useButton() const { return m_use; }
    // The source chosen, while one is.
    std::optional<ReadyMadeChoice> chosen() const;

private:
    void showNote();

    const QList<ReadyMadeChoice> m_choices;
    QListWidget *m_list = nullptr;
    QLabel *m_note = nullptr;
    QPushButton *m_use = nullptr;
};
