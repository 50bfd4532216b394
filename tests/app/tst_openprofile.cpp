// Which rows count as unsaved changes against the profile last saved or
// loaded, and where the file dialogs start.

#include "openprofile.h"

#include <QDir>
#include <QtTest>

Q_DECLARE_METATYPE(std::optional<Holdings>)
Q_DECLARE_METATYPE(AssetTargets)

namespace {

Holdings twoRows()
{
    Holdings rows;
    rows[0] = {QStringLiteral("Total Market"), QStringLiteral("VTI"), 10, 2};
    rows[3] = {QStringLiteral("Savings"), QStringLiteral("Money Market"), 2500, 0};
    return rows;
}

const TargetPercents Targets{10, 20, 60, 10, 0};

} // namespace

class TestOpenProfile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void changes_data();
    void changes();
    void aFreshWindowHasNoProfile();
    void theProfileIsNamedAbsolutely();
};

void TestOpenProfile::changes_data()
{
    QTest::addColumn<std::optional<Holdings>>("shown");
    QTest::addColumn<AssetTargets>("targets");
    QTest::addColumn<bool>("changed");

    Holdings otherShares = twoRows();
    otherShares[3].shares = 2500.5;
    Holdings otherClass = twoRows();
    otherClass[0].assetClass = -1;
    Holdings otherName = twoRows();
    otherName[0].name = QStringLiteral("Total market");

    QTest::newRow("as saved") << std::optional(twoRows()) << AssetTargets(Targets) << false;
    QTest::newRow("shares") << std::optional(otherShares) << AssetTargets(Targets) << true;
    QTest::newRow("class") << std::optional(otherClass) << AssetTargets(Targets) << true;
    QTest::newRow("name, by case") << std::optional(otherName) << AssetTargets(Targets) << true;
    QTest::newRow("targets taken away") << std::optional(twoRows()) << AssetTargets() << true;
    QTest::newRow("a Shares box without a number") << std::optional<Holdings>() << AssetTargets(Targets) << true;
}

void TestOpenProfile::changes()
{
    QFETCH(std::optional<Holdings>, shown);
    QFETCH(AssetTargets, targets);
    QFETCH(bool, changed);

    OpenProfile profile;
    profile.remember(QStringLiteral("/home/user/savings.ftly"), twoRows(), Targets);
    QCOMPARE(profile.hasChanges(shown, targets), changed);
}

void TestOpenProfile::aFreshWindowHasNoProfile()
{
    const OpenProfile profile;
    QVERIFY(profile.path().isEmpty());
    QVERIFY(profile.folder().isEmpty());
    QVERIFY(!profile.hasChanges(Holdings{}, AssetTargets()));
    QVERIFY(profile.hasChanges(twoRows(), AssetTargets()));
}

void TestOpenProfile::theProfileIsNamedAbsolutely()
{
    OpenProfile profile;
    const QString relative = QStringLiteral("profiles/savings.ftly");
    // Saved with a Shares box that no longer reads: the last rows stand.
    profile.remember(relative, std::nullopt, AssetTargets());
    QCOMPARE(profile.path(), QDir::current().absoluteFilePath(relative));
    QCOMPARE(profile.folder(), QDir::current().absoluteFilePath(QStringLiteral("profiles")));
    QVERIFY(!profile.hasChanges(Holdings{}, AssetTargets()));
}

QTEST_MAIN(TestOpenProfile)
#include "tst_openprofile.moc"
