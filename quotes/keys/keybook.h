#pragma once

#include "keystore.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// A key to keep under a source's name; an empty key removes the one kept.
struct KeyWrite {
    QString name;
    QString key;
};

// The API keys of a list of quote sources being edited, a row for each
// source in the list's order: its key, where and under which name it is
// kept, and the writes that keep each key under its source's name once the
// list is saved. A key store matches names exactly, so a source renamed, by
// letter case alone too, has its key moved to the new name.
class KeyBook
{
public:
    // The saved sources, whose keys are kept under their names.
    explicit KeyBook(const QStringList &savedNames);

    qsizetype size() const { return m_rows.size(); }
    // The name the row's key is kept under; empty for a source not saved.
    QString keptAs(qsizetype row) const;
    QString key(qsizetype row) const;
    KeyPlace place(qsizetype row) const;
    // Whether saving writes the row's key: one typed, or one to move.
    bool toWrite(qsizetype row) const;

    // The key kept under `name` has been read: the rows kept under it take
    // it, but for a key typed since.
    void keyRead(const QString &name, const KeyAnswer &answer);

    void add(const QString &name, const QString &key);
    // The row's source is named `name` and its key is `key` now.
    void edit(qsizetype row, const QString &name, const QString &key);
    void remove(qsizetype row);
    void swap(qsizetype first, qsizetype second);
    // A sources file's list takes the place of this one: a source of the
    // same name, ignoring case, keeps its key; the others' keys go.
    void import(const QStringList &names);

    // The writes that saving makes, in order: the keys of the sources
    // removed, and of those renamed under their old names, removed; then
    // each key to keep under its source's name. Once taken, the removals
    // are not made again.
    QList<KeyWrite> takeWrites();
    // A write has answered: the rows named `name` have their key kept
    // there now, or, when it failed, still to write.
    void written(const QString &name, const KeyAnswer &answer);

    // After saving, the keys by source name, those kept and those written;
    // an empty key was removed.
    const QHash<QString, QString> &savedKeys() const { return m_savedKeys; }

private:
    struct Row {
        QString name;
        QString key;
        KeyPlace place = KeyPlace::None;
        QString keptAs;
        bool typed = false;   // a key typed that is not kept yet
    };

    static bool isToWrite(const Row &row);

    QList<Row> m_rows;
    // Names whose keys go when the list is saved: sources removed.
    QStringList m_dropped;
    QHash<QString, QString> m_savedKeys;
};
