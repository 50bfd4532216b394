// The desktop's file dialogs as the program opens them: Save starts in the
// folder of the last profile with its name filled in, and asks before a
// file is replaced; Get Profile starts in a folder with no name.

#include "filechooser.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestFileChooser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsAtTheProfile_data();
    void startsAtTheProfile();
};

void TestFileChooser::startsAtTheProfile_data()
{
    QTest::addColumn<bool>("saving");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("name");

    QTest::newRow("save after a profile") << true << "mine.ftly" << "mine.ftly";
    QTest::newRow("save of a new form") << true << "" << "";
    QTest::newRow("open") << false << "" << "";
}

void TestFileChooser::startsAtTheProfile()
{
    QFETCH(bool, saving);
    QFETCH(QString, start);
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QString path = start.isEmpty() ? QString() : dir.filePath(start);

    QString shownFolder;
    QString shownName;
    bool confirms = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        shownFolder = dialog->directory().absolutePath();
        shownName = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        dialog->reject();
    });
    DialogFileChooser chooser;
    const QString chosen = saving ? chooser.chooseProfileToSave(nullptr, path)
                                  : chooser.chooseProfileToOpen(nullptr, folder);
    QVERIFY(chosen.isEmpty());
    QCOMPARE(shownName, name);
    if (!path.isEmpty() || !saving)
        QCOMPARE(shownFolder, folder);
    QCOMPARE(confirms, true);
}

QTEST_MAIN(TestFileChooser)
#include "tst_filechooser.moc"
