// Dropping a profile on the window opens it as Get Profile would; any other
// drag is refused and changes nothing.

#include "dialogharness.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "profiledrop.h"
#include "profileformat.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <memory>

namespace {

Holdings sampleRecords()
{
    Holdings records;
    records[0] = {QStringLiteral("Total Market"), QStringLiteral("VTI"), 10, 2};
    records[2] = {QStringLiteral("Bond Fund"), QStringLiteral("BND"), 4, 1};
    return records;
}

// A folder holding a profile, a text file and a folder named like a profile.
struct Files
{
    QTemporaryDir dir;

    Files()
    {
        write(QStringLiteral("savings.ftly"), writeProfile(sampleRecords()));
        write(QStringLiteral("SHOUTED.FTLY"), writeProfile(sampleRecords()));
        write(QStringLiteral("other.ftly"), writeProfile(sampleRecords()));
        write(QStringLiteral("notes.txt"), "AssetName\tnot really\n");
        write(QStringLiteral("savings.ftly.txt"), writeProfile(sampleRecords()));
        write(QStringLiteral("broken.ftly"), "AssetName\tcut short\n");
        QDir(dir.path()).mkdir(QStringLiteral("folder.ftly"));
    }

    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QUrl url(const QString &name) const { return QUrl::fromLocalFile(dir.filePath(name)); }
};

// What a drag carries: files by name in the Files folder, addresses written
// out with a scheme, and plain text.
std::unique_ptr<QMimeData> dragData(const Files &files, const QStringList &items, const QString &text = {})
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &item : items)
        urls << (item.contains(QLatin1String("://")) ? QUrl(item) : files.url(item));
    if (!items.isEmpty())
        data->setUrls(urls);
    if (!text.isEmpty())
        data->setText(text);
    return data;
}

struct Harness : DialogHarness<>
{
    Harness()
    {
        quotes.prices = {{"VTI", 12.5}, {"BND", 70.25}};
        dialog->show();
    }

    // Sends enter, move and drop to `target` as the window system would;
    // true when all three were accepted, each as a copy.
    static bool drag(QWidget *target, const QMimeData &data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
    {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        if (enter.dropAction() != Qt::CopyAction)
            return false;
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        if (!move.isAccepted() || move.dropAction() != Qt::CopyAction)
            return false;
        QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    }
};

} // namespace

Q_DECLARE_METATYPE(SaveChangesAnswer)
Q_DECLARE_METATYPE(ProfileDropAnswer)

class TestDialogDrop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void whichDragsCarryAProfile_data();
    void whichDragsCarryAProfile();
    void whenAProfileIsTaken_data();
    void whenAProfileIsTaken();
    void droppedProfileOpensAndPrices_data();
    void droppedProfileOpensAndPrices();
    void refusedDragChangesNothing_data();
    void refusedDragChangesNothing();
    void droppedBrokenProfileSaysWhy();
    void textDropsStillReachTheBoxes();
    void closingBeforeTheDropLoadsIsSafe();
    void dropOverChangedRowsAsksFirst_data();
    void dropOverChangedRowsAsksFirst();
};

void TestDialogDrop::whichDragsCarryAProfile_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("path");

    QTest::newRow("one profile, the limit") << QStringList{"savings.ftly"} << QString() << "savings.ftly";
    QTest::newRow("extension in capitals") << QStringList{"SHOUTED.FTLY"} << QString() << "SHOUTED.FTLY";
    QTest::newRow("with text as well") << QStringList{"savings.ftly"} << "savings" << "savings.ftly";
    QTest::newRow("two profiles, past the limit")
        << QStringList{"savings.ftly", "other.ftly"} << QString() << QString();
    QTest::newRow("profile and text file") << QStringList{"savings.ftly", "notes.txt"} << QString() << QString();
    QTest::newRow("text file") << QStringList{"notes.txt"} << QString() << QString();
    QTest::newRow("extension not last") << QStringList{"savings.ftly.txt"} << QString() << QString();
    QTest::newRow("folder named like a profile") << QStringList{"folder.ftly"} << QString() << QString();
    QTest::newRow("remote address")
        << QStringList{"https://example.com/savings.ftly"} << QString() << QString();
    QTest::newRow("path as plain text") << QStringList{} << "/tmp/savings.ftly" << QString();
    QTest::newRow("nothing") << QStringList{} << QString() << QString();
}

void TestDialogDrop::whichDragsCarryAProfile()
{
    QFETCH(QStringList, items);
    QFETCH(QString, text);
    QFETCH(QString, path);
    const Files files;
    const auto data = dragData(files, items, text);
    QCOMPARE(draggedProfilePath(*data), path.isEmpty() ? QString() : files.dir.filePath(path));
}

void TestDialogDrop::whenAProfileIsTaken_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("actions");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<ProfileDropAnswer>("answer");

    const int copyOrMove = int(Qt::CopyAction | Qt::MoveAction);
    QTest::newRow("copy or move") << QStringList{"savings.ftly"} << copyOrMove << false << ProfileDropAnswer::Taken;
    QTest::newRow("copy only") << QStringList{"savings.ftly"} << int(Qt::CopyAction) << false
                               << ProfileDropAnswer::Taken;
    // Taking a move would let the file manager delete the profile.
    QTest::newRow("move only") << QStringList{"savings.ftly"} << int(Qt::MoveAction) << false
                               << ProfileDropAnswer::Refused;
    QTest::newRow("while busy") << QStringList{"savings.ftly"} << copyOrMove << true << ProfileDropAnswer::Refused;
    QTest::newRow("text file while busy") << QStringList{"notes.txt"} << copyOrMove << true
                                          << ProfileDropAnswer::NotAProfile;
}

void TestDialogDrop::whenAProfileIsTaken()
{
    QFETCH(QStringList, items);
    QFETCH(int, actions);
    QFETCH(bool, busy);
    QFETCH(ProfileDropAnswer, answer);
    const Files files;
    const auto data = dragData(files, items);
    QCOMPARE(profileDropAnswer(*data, Qt::DropActions(actions), busy), answer);
}

void TestDialogDrop::droppedProfileOpensAndPrices_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("withText");
    QTest::newRow("on the window") << "window" << false;
    QTest::newRow("on a name box") << "name box" << false;
    // File managers often offer the path as text too, which a box would take
    // and type in; a profile still opens and the box stays as it was.
    QTest::newRow("on a name box, path as text too") << "name box" << true;
    QTest::newRow("on a shares box, path as text too") << "shares box" << true;
    QTest::newRow("on the window, path as text too") << "window" << true;
}

void TestDialogDrop::droppedProfileOpensAndPrices()
{
    QFETCH(QString, target);
    QFETCH(bool, withText);
    const Files files;
    Harness h;
    QWidget *widget = target == QLatin1String("window") ? static_cast<QWidget *>(h.dialog.get())
                      : target == QLatin1String("name box") ? static_cast<QWidget *>(h.form().nameBox(5))
                                                            : static_cast<QWidget *>(h.form().sharesBox(5));
    QVERIFY(h.dialog->acceptDrops());
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    const auto data = dragData(files, {"savings.ftly"},
                               withText ? files.dir.filePath(QStringLiteral("savings.ftly")) : QString());

    QVERIFY(Harness::drag(widget, *data));
    QVERIFY(finished.wait());

    QVERIFY(h.messages.errors.isEmpty());
    QCOMPARE(h.form().nameBox(0)->text(), QStringLiteral("Total Market"));
    QCOMPARE(h.form().nameBox(2)->text(), QStringLiteral("Bond Fund"));
    QVERIFY(h.form().nameBox(5)->text().isEmpty());
    QCOMPARE(h.form().sharesBox(5)->text(), QStringLiteral("0"));
    QCOMPARE(h.quotes.requested, (QStringList{"VTI", "BND"}));
    QCOMPARE(h.form().totalBox()->text(), QStringLiteral("406"));
    QCOMPARE(h.files.openAsked, 0);
}

void TestDialogDrop::refusedDragChangesNothing_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("actions");
    QTest::addColumn<bool>("calculating");

    const int copyOrMove = int(Qt::CopyAction | Qt::MoveAction);
    QTest::newRow("two profiles") << QStringList{"savings.ftly", "other.ftly"} << QString() << copyOrMove << false;
    QTest::newRow("text file") << QStringList{"notes.txt"} << QString() << copyOrMove << false;
    QTest::newRow("folder") << QStringList{"folder.ftly"} << QString() << copyOrMove << false;
    QTest::newRow("remote") << QStringList{"https://example.com/savings.ftly"} << QString() << copyOrMove
                            << false;
    QTest::newRow("plain text") << QStringList{} << "/tmp/savings.ftly" << copyOrMove << false;
    // Taking a move would let the file manager delete the profile.
    QTest::newRow("move only") << QStringList{"savings.ftly"} << QString() << int(Qt::MoveAction) << false;
    QTest::newRow("while calculating") << QStringList{"savings.ftly"} << QString() << copyOrMove << true;
}

void TestDialogDrop::refusedDragChangesNothing()
{
    QFETCH(QStringList, items);
    QFETCH(QString, text);
    QFETCH(int, actions);
    QFETCH(bool, calculating);
    const Files files;
    Harness h;
    h.form().nameBox(1)->setText(QStringLiteral("Typed, not saved"));
    h.form().symbolBox(1)->setText(QStringLiteral("VTI"));
    h.form().sharesBox(1)->setText(QStringLiteral("3"));
    if (calculating) {
        h.quotes.hold = true;
        h.dialog->OnCalculate();
        QVERIFY(h.dialog->isCalculating());
    }
    const QStringList before = formSnapshot(h.form());
    const QStringList requested = h.quotes.requested;
    const auto data = dragData(files, items, text);

    for (QWidget *target : {static_cast<QWidget *>(h.dialog.get()), static_cast<QWidget *>(h.form().totalBox())}) {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::DropActions(actions), data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent drop(at, Qt::DropActions(actions), data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QVERIFY(!drop.isAccepted());
    }
    QTest::qWait(20);

    QCOMPARE(formSnapshot(h.form()), before);
    QCOMPARE(h.quotes.requested, requested);
    QVERIFY(h.messages.errors.isEmpty());
    QCOMPARE(h.dialog->isCalculating(), calculating);
}

void TestDialogDrop::droppedBrokenProfileSaysWhy()
{
    const Files files;
    Harness h;
    h.form().nameBox(1)->setText(QStringLiteral("Typed, not saved"));
    const QStringList before = formSnapshot(h.form());
    const auto data = dragData(files, {"broken.ftly"});

    QVERIFY(Harness::drag(h.dialog.get(), *data));
    QTRY_COMPARE(h.messages.errors.size(), 1);
    QVERIFY2(h.messages.errors.constFirst().contains(QStringLiteral("broken.ftly")),
             qPrintable(h.messages.errors.constFirst()));
    QCOMPARE(formSnapshot(h.form()), before);
    QVERIFY(h.quotes.requested.isEmpty());
    QVERIFY(!h.dialog->isCalculating());
}

// Only profiles are taken from the boxes: a text drag stays theirs.
void TestDialogDrop::textDropsStillReachTheBoxes()
{
    const Files files;
    Harness h;
    QLineEdit *box = h.form().nameBox(0);
    QMimeData data;
    data.setText(QStringLiteral("Total Market"));
    QDragEnterEvent enter(box->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    QVERIFY(enter.isAccepted());
}

void TestDialogDrop::closingBeforeTheDropLoadsIsSafe()
{
    const Files files;
    Harness h;
    const auto data = dragData(files, {"savings.ftly"});
    QVERIFY(Harness::drag(h.dialog.get(), *data));
    h.dialog.reset();
    QTest::qWait(20);
    QVERIFY(h.quotes.requested.isEmpty());
    QVERIFY(h.messages.errors.isEmpty());
}

void TestDialogDrop::dropOverChangedRowsAsksFirst_data()
{
    QTest::addColumn<bool>("typed");
    QTest::addColumn<SaveChangesAnswer>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("loads");

    QTest::newRow("unchanged") << false << SaveChangesAnswer::Cancel << false << true;
    QTest::newRow("changed, Discard") << true << SaveChangesAnswer::Discard << true << true;
    QTest::newRow("changed, Cancel") << true << SaveChangesAnswer::Cancel << true << false;
    QTest::newRow("changed, Save written") << true << SaveChangesAnswer::Save << true << true;
}

void TestDialogDrop::dropOverChangedRowsAsksFirst()
{
    QFETCH(bool, typed);
    QFETCH(SaveChangesAnswer, answer);
    QFETCH(bool, asked);
    QFETCH(bool, loads);
    const Files files;
    Harness h;
    if (typed)
        h.form().nameBox(5)->setText(QStringLiteral("Typed, not saved"));
    h.saveChanges.answer = answer;
    h.files.savePath = files.dir.filePath(QStringLiteral("kept.ftly"));
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    const auto data = dragData(files, {"savings.ftly"});

    QVERIFY(Harness::drag(h.dialog.get(), *data));
    QCOMPARE(finished.wait(500), loads);

    QCOMPARE(h.saveChanges.reasons.size(), asked ? 1 : 0);
    QCOMPARE(h.form().nameBox(0)->text(), loads ? QStringLiteral("Total Market") : QString());
    QCOMPARE(h.form().nameBox(5)->text(), loads ? QString() : QStringLiteral("Typed, not saved"));
    QCOMPARE(QFile::exists(h.files.savePath), answer == SaveChangesAnswer::Save);
}

QTEST_MAIN(TestDialogDrop)
#include "tst_dialogdrop.moc"
