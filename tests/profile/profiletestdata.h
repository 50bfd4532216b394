#pragma once

#include "assettargets.h"
#include "holding.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>

Q_DECLARE_METATYPE(Holding)

// Failure output shows the records, not just that they differ.
inline char *toString(const Holding &record)
{
    return QTest::toString(QStringLiteral("{\"%1\", \"%2\", %3, %4}")
                               .arg(record.name, record.symbol)
                               .arg(record.shares, 0, 'g', 17)
                               .arg(record.assetClass));
}

inline char *toString(const Holdings &records)
{
    QString text;
    for (std::size_t index = 0; index < records.size(); ++index) {
        if (records[index] == Holding{})
            continue;
        char *const record = toString(records[index]);
        text += QStringLiteral("\n  %1: %2").arg(index + 1).arg(QString::fromUtf8(record));
        delete[] record;
    }
    return QTest::toString(text.isEmpty() ? QStringLiteral("all rows empty") : text);
}

inline QString profileTestDataPath(const QString &fileName)
{
    return QStringLiteral(PROFILE_TEST_DATA "/") + fileName;
}

inline QByteArray readProfileTestData(const QString &fileName)
{
    QFile file(profileTestDataPath(fileName));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot open test data %s", qPrintable(file.fileName()));
    return file.readAll();
}

// The records that data/filled.ftly holds when written: a mix of every
// class, awkward share counts and text that has to be stored specially.
inline Holdings filledHoldings()
{
    Holdings records;
    records[0] = {QStringLiteral("Total Stock Market"), QStringLiteral("VTI"), 100, 2};
    records[1] = {QStringLiteral("Total Bond Fund"), QStringLiteral("BND"), 12.5, 1};
    records[2] = {QStringLiteral("Intl Stock"), QStringLiteral("VXUS"), 1234567, 2};
    records[3] = {QStringLiteral("REIT Index"), QStringLiteral("VNQ"), 0.1, 3};
    records[4] = {QStringLiteral("EM Bonds"), QStringLiteral("EMB"), -3.75, 4};
    records[5] = {QStringLiteral("Money Market"), QStringLiteral("Money Market"), 2500.25, 0};
    records[6] = {QStringLiteral("  "), QStringLiteral("null"), 0, -1};
    records[7] = {QStringLiteral("Café Zürich"), QStringLiteral("X#Y"), 1e-7, -1};
    records[8] = {QStringLiteral("Tab\tName"), QString(), 1e21, 7};
    records[9] = {QString(), QStringLiteral("SYM"), 0.1 + 0.2, 0};
    return records;
}

// The targets that data/targets.ftly holds after the records of filled.ftly.
inline TargetPercents sampleTargets()
{
    return {5, 24.5, 50.5, 0, 20};
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable: " + file.errorString().toUtf8() + '>';
    return file.readAll();
}

inline QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}
