#include "keybook.h"

#include <algorithm>

KeyBook::KeyBook(const QStringList &savedNames)
{
    for (const QString &name : savedNames)
        m_rows << Row{name, {}, KeyPlace::None, name, false};
}

QString KeyBook::keptAs(qsizetype row) const
{
    return m_rows.value(row).keptAs;
}

QString KeyBook::key(qsizetype row) const
{
    return m_rows.value(row).key;
}

KeyPlace KeyBook::place(qsizetype row) const
{
    return m_rows.value(row).place;
}

bool KeyBook::toWrite(qsizetype row) const
{
    return isToWrite(m_rows.value(row));
}

bool KeyBook::isToWrite(const Row &row)
{
    // Names are compared exactly, as the key store compares them.
    return row.typed || (!row.keptAs.isEmpty() && row.keptAs != row.name);
}

void KeyBook::keyRead(const QString &name, const KeyAnswer &answer)
{
    for (Row &row : m_rows) {
        if (row.keptAs == name && !row.typed) {
            row.key = answer.key;
            row.place = answer.place;
        }
    }
}

void KeyBook::add(const QString &name, const QString &key)
{
    m_rows << Row{name, key, KeyPlace::None, {}, !key.isEmpty()};
}

void KeyBook::edit(qsizetype row, const QString &name, const QString &key)
{
    Row &edited = m_rows[row];
    edited.typed = edited.typed || key != edited.key;
    edited.name = name;
    edited.key = key;
}

void KeyBook::remove(qsizetype row)
{
    if (!m_rows[row].keptAs.isEmpty())
        m_dropped << m_rows[row].keptAs;
    m_rows.removeAt(row);
}

void KeyBook::swap(qsizetype first, qsizetype second)
{
    m_rows.swapItemsAt(first, second);
}

void KeyBook::import(const QStringList &names)
{
    QList<Row> imported;
    for (const QString &name : names) {
        const auto same = std::find_if(m_rows.cbegin(), m_rows.cend(), [&name](const Row &row) {
            return row.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        Row row = same != m_rows.cend() ? *same : Row{};
        row.name = name;
        imported << row;
    }
    for (const Row &row : std::as_const(m_rows)) {
        const bool kept = std::any_of(imported.cbegin(), imported.cend(),
                                      [&row](const Row &each) { return each.keptAs == row.keptAs; });
        if (!kept && !row.keptAs.isEmpty())
            m_dropped << row.keptAs;
    }
    m_rows = imported;
}

QList<KeyWrite> KeyBook::takeWrites()
{
    QList<KeyWrite> writes;
    for (const QString &name : std::as_const(m_dropped))
        writes << KeyWrite{name, {}};
    for (const Row &row : std::as_const(m_rows)) {
        if (!isToWrite(row))
            continue;
        if (!row.keptAs.isEmpty() && row.keptAs != row.name)
            writes << KeyWrite{row.keptAs, {}};
        writes << KeyWrite{row.name, row.key};
    }
    m_dropped.clear();
    for (const KeyWrite &write : std::as_const(writes))
        m_savedKeys.insert(write.name, write.key);
    // Keys read here that the service started without, for a source new to the list.
    for (const Row &row : std::as_const(m_rows)) {
        if (row.place != KeyPlace::None)
            m_savedKeys.insert(row.name, row.key);
    }
    return writes;
}

void KeyBook::written(const QString &name, const KeyAnswer &answer)
{
    for (Row &row : m_rows) {
        if (row.name == name) {
            row.keptAs = name;
            row.typed = !answer.error.isEmpty();
            row.place = answer.place;
        }
    }
}
