// Nothing the user typed is lost: a Shares box that is not a number stops
// every command before anything is rewritten, and rows that differ from the
// last profile saved or loaded are only closed or replaced once the user has
// answered the save-changes question.

#include "dialogharness.h"
#include "allocationlegend.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "profilefile.h"
#include "profileformat.h"
#include "sessionend.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

enum class Command { Calculate, EnterKey, GetProfile, SaveProfile, Finished };
enum class CloseRoute { Finished, CloseButton, WindowManager };
enum class Change { None, Typed, BadNumber };
// What a Save answer meets: a file that is written, a path that cannot be
// written, or a file dialog the user cancels.
enum class SaveOutcome { Written, Fails, FileDialogCancelled };

struct Harness : ProfileFolder, DialogHarness<>
{
    Harness() { quotes.prices = {{"VTI", 12.5}, {"BND", 70.25}, {"VXUS", 60.0}}; }

    // Loads through Get Profile and waits for the pricing that follows.
    bool getProfile(const QString &path)
    {
        files.openPath = path;
        QSignalSpy finished(dialog.get(), &CFundtallyDlg::calculationFinished);
        dialog->OnGetProfile();
        return messages.errors.isEmpty() && (finished.size() == 1 || finished.wait());
    }

    void prepareSave(SaveOutcome outcome)
    {
        switch (outcome) {
        case SaveOutcome::Written:
            files.savePath = dir.filePath(QStringLiteral("saved.ftly"));
            break;
        case SaveOutcome::Fails:
            // A path under a regular file cannot be written, not even by root.
            files.savePath = writeFile(QStringLiteral("plain"), "plain") + QStringLiteral("/saved.ftly");
            break;
        case SaveOutcome::FileDialogCancelled:
            files.savePath.clear();
            break;
        }
    }

    // Returns whether the window closed.
    bool close(CloseRoute route)
    {
        switch (route) {
        case CloseRoute::Finished:
            QTest::mouseClick(form().finishedButton(), Qt::LeftButton);
            break;
        case CloseRoute::CloseButton:
            dialog->close();
            break;
        case CloseRoute::WindowManager:
            dialog->windowHandle()->close();
            break;
        }
        return !dialog->isVisible();
    }
};

Holdings sampleRecords()
{
    Holdings records;
    records[0] = {QStringLiteral("Total Market"), QStringLiteral("VTI"), 10, 2};
    records[1] = {QStringLiteral("Bond Fund"), QStringLiteral("BND"), 4, 1};
    // More digits than a Shares box shows, and a class that loads as none.
    records[2] = {QStringLiteral("Odd"), QStringLiteral("VXUS"), 0.1 + 0.2, 7};
    return records;
}

class FakeSessionEnd final : public SessionEnd
{
public:
    bool allowsInteraction() override
    {
        ++interactionRequests;
        return interactionAllowed;
    }
    void release() override { ++releases; }
    void cancel() override { ++cancels; }

    bool interactionAllowed = true;
    int interactionRequests = 0;
    int releases = 0;
    int cancels = 0;
};

} // namespace

Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(CloseRoute)
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(SaveOutcome)
Q_DECLARE_METATYPE(SaveChangesAnswer)
Q_DECLARE_METATYPE(SetAsideReason)

class TestDialogUnsaved : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void badSharesStopsEveryCommand_data();
    void badSharesStopsEveryCommand();
    void closeRoutes_data();
    void closeRoutes();
    void sessionEnd_data();
    void sessionEnd();
    void getProfileOverChangedRows_data();
    void getProfileOverChangedRows();
    void loadedOrSavedProfileClosesWithoutQuestion();
    void whatCountsAsAChange_data();
    void whatCountsAsAChange();
    void closingMidCalculationStopsItBeforeAsking();
    void escapeDuringCalculationOnlyStopsIt();
    void openedProfileShowsNothingOfTheLastResult();
    void questionAlreadyOpenKeepsTheRows();
    void loadProfileWaitsForTheRunAndAsksNothing();
    void targetsCountAsHoldings();
    void mixedEncodingProfileThroughTheDialog();
    void messagesShowNoRawBytes_data();
    void messagesShowNoRawBytes();
    void fileDialogsStartAtTheLastProfile();
    void questionBoxOffersSaveDiscardCancel_data();
    void questionBoxOffersSaveDiscardCancel();
    void questionBoxAnswers_data();
    void questionBoxAnswers();
};

void TestDialogUnsaved::badSharesStopsEveryCommand_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("shares");

    const QList<std::pair<const char *, Command>> commands{
        {"Calculate", Command::Calculate},     {"Enter", Command::EnterKey},
        {"Get Profile", Command::GetProfile},  {"Save Profile", Command::SaveProfile},
        {"Finished", Command::Finished}};
    for (const auto &[name, command] : commands) {
        for (const char *shares : {"abc", "1,000"}) {
            const QByteArray tag = QByteArray(name) + ", " + shares;
            QTest::newRow(tag.constData()) << command << QString::fromLatin1(shares);
        }
    }
}

void TestDialogUnsaved::badSharesStopsEveryCommand()
{
    QFETCH(Command, command);
    QFETCH(QString, shares);

    Harness h;
    QVERIFY(h.showActive());
    h.type(0, QStringLiteral("Row one"), QStringLiteral("VTI"), QStringLiteral("10"));
    h.type(1, QStringLiteral("Row two"), QStringLiteral("BND"), shares);
    h.type(2, QStringLiteral("Row three"), QStringLiteral("VXUS"), QStringLiteral("5"));
    h.files.openPath = h.writeFile(QStringLiteral("other.ftly"), writeProfile(sampleRecords()));
    h.files.savePath = h.dir.filePath(QStringLiteral("never.ftly"));
    const QStringList before = h.snapshot();

    switch (command) {
    case Command::Calculate:
        h.dialog->OnCalculate();
        break;
    case Command::EnterKey:
        h.form().nameBox(2)->setFocus();
        QTest::keyClick(h.form().nameBox(2), Qt::Key_Return);
        break;
    case Command::GetProfile:
        QTest::mouseClick(h.form().getProfileButton(), Qt::LeftButton);
        break;
    case Command::SaveProfile:
        QTest::mouseClick(h.form().saveProfileButton(), Qt::LeftButton);
        break;
    case Command::Finished:
        QTest::mouseClick(h.form().finishedButton(), Qt::LeftButton);
        break;
    }
    QTest::qWait(10);

    QLineEdit *bad = h.form().sharesBox(1);
    QCOMPARE(h.prompt.boxes, QList<QLineEdit *>{bad});
    QCOMPARE(numberPromptText(bad),
             QStringLiteral("Row 2 shares: please enter a number such as 12.5 (without thousands separators)."));
    QCOMPARE(QApplication::focusWidget(), bad);
    QCOMPARE(bad->selectedText(), shares);
    QCOMPARE(h.snapshot(), before);
    QVERIFY(h.quotes.requested.isEmpty());
    QVERIFY(!h.dialog->isCalculating());
    QCOMPARE(h.files.openAsked, 0);
    QCOMPARE(h.files.saveAsked, 0);
    QVERIFY(h.saveChanges.reasons.isEmpty());
    QVERIFY(h.dialog->isVisible());
    QVERIFY(!QFile::exists(h.files.savePath));
}

void TestDialogUnsaved::closeRoutes_data()
{
    QTest::addColumn<CloseRoute>("route");
    QTest::addColumn<Change>("change");
    QTest::addColumn<SaveChangesAnswer>("answer");
    QTest::addColumn<SaveOutcome>("saveOutcome");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("prompts");

    const QList<std::pair<const char *, CloseRoute>> routes{
        {"Finished", CloseRoute::Finished},
        {"close button", CloseRoute::CloseButton},
        {"window manager", CloseRoute::WindowManager}};
    const auto S = SaveChangesAnswer::Save;
    const auto D = SaveChangesAnswer::Discard;
    const auto C = SaveChangesAnswer::Cancel;
    const auto W = SaveOutcome::Written;
    for (const auto &[name, route] : routes) {
        const auto row = [name = name](const char *what) -> QTestData & {
            return QTest::newRow((QByteArray(name) + ": " + what).constData());
        };
        row("unchanged") << route << Change::None << D << W << false << true << 0;
        row("changed, Save written") << route << Change::Typed << S << W << true << true << 0;
        row("changed, Save fails") << route << Change::Typed << S << SaveOutcome::Fails << true << false << 0;
        row("changed, Save's file dialog cancelled")
            << route << Change::Typed << S << SaveOutcome::FileDialogCancelled << true << false << 0;
        row("changed, Discard") << route << Change::Typed << D << W << true << true << 0;
        row("changed, Cancel") << route << Change::Typed << C << W << true << false << 0;
        if (route == CloseRoute::Finished) {
            // Finished reads the boxes first and stops at the bad one.
            row("bad number") << route << Change::BadNumber << D << W << false << false << 1;
        } else {
            row("bad number, Discard") << route << Change::BadNumber << D << W << true << true << 0;
            row("bad number, Save") << route << Change::BadNumber << S << W << true << false << 1;
            row("bad number, Cancel") << route << Change::BadNumber << C << W << true << false << 0;
        }
    }
}

void TestDialogUnsaved::closeRoutes()
{
    QFETCH(CloseRoute, route);
    QFETCH(Change, change);
    QFETCH(SaveChangesAnswer, answer);
    QFETCH(SaveOutcome, saveOutcome);
    QFETCH(bool, asked);
    QFETCH(bool, closes);
    QFETCH(int, prompts);

    Harness h;
    QVERIFY(h.showActive());
    if (change != Change::None)
        h.type(0, QStringLiteral("Typed, not saved"), QStringLiteral("VTI"), QStringLiteral("10"), 2);
    if (change == Change::BadNumber)
        h.form().sharesBox(3)->setText(QStringLiteral("12 shares"));
    h.saveChanges.answer = answer;
    h.prepareSave(saveOutcome);
    const QStringList before = h.snapshot();

    QCOMPARE(h.close(route), closes);

    QCOMPARE(h.saveChanges.reasons,
             asked ? QList<SetAsideReason>{SetAsideReason::Closing} : QList<SetAsideReason>{});
    QCOMPARE(h.prompt.boxes.size(), prompts);
    const bool saved = asked && answer == SaveChangesAnswer::Save && saveOutcome == SaveOutcome::Written
                       && change == Change::Typed;
    QCOMPARE(QFile::exists(h.dir.filePath(QStringLiteral("saved.ftly"))), saved);
    if (saved) {
        const ProfileLoad load = loadProfileFile(h.files.savePath);
        QVERIFY(load.holdings);
        QCOMPARE(load.holdings->at(0).name, QStringLiteral("Typed, not saved"));
    }
    QCOMPARE(h.messages.errors.size(), saveOutcome == SaveOutcome::Fails && asked && !prompts ? 1 : 0);
    if (closes) {
        QCOMPARE(h.dialog->result(),
                 int(route == CloseRoute::Finished ? QDialog::Accepted : QDialog::Rejected));
    } else {
        QCOMPARE(h.snapshot(), before);
    }
    QVERIFY(h.quotes.requested.isEmpty());
}

void TestDialogUnsaved::sessionEnd_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("interactionAllowed");
    QTest::addColumn<SaveChangesAnswer>("answer");
    QTest::addColumn<SaveOutcome>("saveOutcome");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("cancelled");

    const auto S = SaveChangesAnswer::Save;
    const auto D = SaveChangesAnswer::Discard;
    const auto W = SaveOutcome::Written;
    QTest::newRow("unchanged") << Change::None << true << D << W << false << false;
    QTest::newRow("changed, no leave to ask") << Change::Typed << false << S << W << false << false;
    QTest::newRow("changed, Save written") << Change::Typed << true << S << W << true << false;
    QTest::newRow("changed, Save fails") << Change::Typed << true << S << SaveOutcome::Fails << true << true;
    QTest::newRow("changed, Save's file dialog cancelled")
        << Change::Typed << true << S << SaveOutcome::FileDialogCancelled << true << true;
    QTest::newRow("changed, Discard") << Change::Typed << true << D << W << true << false;
    QTest::newRow("changed, Cancel") << Change::Typed << true << SaveChangesAnswer::Cancel << W << true << true;
    QTest::newRow("bad number, Save") << Change::BadNumber << true << S << W << true << true;
    QTest::newRow("bad number, Discard") << Change::BadNumber << true << D << W << true << false;
}

void TestDialogUnsaved::sessionEnd()
{
    QFETCH(Change, change);
    QFETCH(bool, interactionAllowed);
    QFETCH(SaveChangesAnswer, answer);
    QFETCH(SaveOutcome, saveOutcome);
    QFETCH(bool, asked);
    QFETCH(bool, cancelled);

    Harness h;
    h.dialog->show();
    if (change != Change::None)
        h.type(0, QStringLiteral("Typed"), QStringLiteral("VTI"), QStringLiteral("10"), 2);
    if (change == Change::BadNumber)
        h.form().sharesBox(5)->setText(QStringLiteral("x"));
    h.saveChanges.answer = answer;
    h.prepareSave(saveOutcome);
    const QStringList before = h.snapshot();

    FakeSessionEnd session;
    session.interactionAllowed = interactionAllowed;
    h.dialog->commitData(session);

    QCOMPARE(h.saveChanges.reasons.size(), asked ? 1 : 0);
    QCOMPARE(session.cancels, cancelled ? 1 : 0);
    // Leave to ask is only sought when there is something to ask about, and
    // given back once granted.
    QCOMPARE(session.interactionRequests, change == Change::None ? 0 : 1);
    QCOMPARE(session.releases, change != Change::None && interactionAllowed ? 1 : 0);
    QCOMPARE(QFile::exists(h.dir.filePath(QStringLiteral("saved.ftly"))),
             asked && !cancelled && answer == SaveChangesAnswer::Save);
    // Ending the session is the session's business: the window stays as it is.
    QVERIFY(h.dialog->isVisible());
    QCOMPARE(h.snapshot(), before);
}

void TestDialogUnsaved::getProfileOverChangedRows_data()
{
    QTest::addColumn<SaveChangesAnswer>("answer");
    QTest::addColumn<SaveOutcome>("saveOutcome");
    QTest::addColumn<bool>("loads");

    QTest::newRow("Save written") << SaveChangesAnswer::Save << SaveOutcome::Written << true;
    QTest::newRow("Save fails") << SaveChangesAnswer::Save << SaveOutcome::Fails << false;
    QTest::newRow("Save's file dialog cancelled")
        << SaveChangesAnswer::Save << SaveOutcome::FileDialogCancelled << false;
    QTest::newRow("Discard") << SaveChangesAnswer::Discard << SaveOutcome::Written << true;
    QTest::newRow("Cancel") << SaveChangesAnswer::Cancel << SaveOutcome::Written << false;
}

void TestDialogUnsaved::getProfileOverChangedRows()
{
    QFETCH(SaveChangesAnswer, answer);
    QFETCH(SaveOutcome, saveOutcome);
    QFETCH(bool, loads);

    Harness h;
    h.type(4, QStringLiteral("Typed, not saved"), QStringLiteral("BND"), QStringLiteral("3"), 1);
    h.saveChanges.answer = answer;
    h.prepareSave(saveOutcome);
    h.files.openPath = h.writeFile(QStringLiteral("other.ftly"), writeProfile(sampleRecords()));
    const QStringList before = h.snapshot();

    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    h.dialog->OnGetProfile();

    QCOMPARE(h.saveChanges.reasons, QList<SetAsideReason>{SetAsideReason::OpeningProfile});
    QCOMPARE(h.files.openAsked, loads ? 1 : 0);
    if (loads) {
        QVERIFY(finished.wait());
        QCOMPARE(h.form().nameBox(0)->text(), QStringLiteral("Total Market"));
        QVERIFY(h.form().nameBox(4)->text().isEmpty());
        QCOMPARE(h.quotes.requested, (QStringList{"VTI", "BND", "VXUS"}));
    } else {
        QCOMPARE(h.snapshot(), before);
        QVERIFY(h.quotes.requested.isEmpty());
    }
    if (answer == SaveChangesAnswer::Save && saveOutcome == SaveOutcome::Written) {
        const ProfileLoad saved = loadProfileFile(h.files.savePath);
        QVERIFY(saved.holdings);
        QCOMPARE(saved.holdings->at(4).name, QStringLiteral("Typed, not saved"));
    }

    // An unchanged form is replaced without a question.
    h.saveChanges.reasons.clear();
    h.saveChanges.answer = SaveChangesAnswer::Cancel;
    if (loads) {
        QVERIFY(h.getProfile(h.files.openPath));
        QVERIFY(h.saveChanges.reasons.isEmpty());
    }
}

void TestDialogUnsaved::loadedOrSavedProfileClosesWithoutQuestion()
{
    Harness h;
    h.saveChanges.answer = SaveChangesAnswer::Cancel;
    QVERIFY(h.getProfile(h.writeFile(QStringLiteral("mine.ftly"), writeProfile(sampleRecords()))));
    // The calculation filled the computed boxes; they do not count.
    QCOMPARE(h.form().valueBox(0)->text(), QStringLiteral("125"));
    QVERIFY(!h.dialog->hasUnsavedChanges());

    h.form().nameBox(7)->setText(QStringLiteral("Typed"));
    QVERIFY(h.dialog->hasUnsavedChanges());
    h.files.savePath = h.dir.filePath(QStringLiteral("again.ftly"));
    h.dialog->OnSaveProfile();
    QVERIFY(h.messages.errors.isEmpty());
    QVERIFY(!h.dialog->hasUnsavedChanges());

    // A calculation after the save changes nothing that counts either.
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    h.dialog->OnCalculate();
    QVERIFY(finished.wait());

    QVERIFY(h.showActive());
    QVERIFY(h.close(CloseRoute::CloseButton));
    QVERIFY(h.saveChanges.reasons.isEmpty());
}

void TestDialogUnsaved::whatCountsAsAChange_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("counts");

    // Row 0 was loaded as Total Market, VTI, 10 shares, Stocks.
    QTest::newRow("same name typed again") << "name" << "Total Market" << false;
    QTest::newRow("shares written otherwise") << "shares" << "10.0" << false;
    QTest::newRow("shares in exponent form") << "shares" << "1e1" << false;
    QTest::newRow("shares with spaces around") << "shares" << " 10 " << false;
    QTest::newRow("name with a trailing space") << "name" << "Total Market " << true;
    QTest::newRow("symbol in lower case") << "symbol" << "vti" << true;
    QTest::newRow("shares a little more") << "shares" << "10.000001" << true;
    QTest::newRow("shares cleared to zero") << "shares" << "" << true;
    QTest::newRow("shares not a number") << "shares" << "ten" << true;
    QTest::newRow("class changed") << "class" << "1" << true;
    QTest::newRow("class cleared") << "class" << "-1" << true;
    QTest::newRow("a computed box") << "value" << "999" << false;
}

void TestDialogUnsaved::whatCountsAsAChange()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(bool, counts);

    Harness h;
    QVERIFY(h.getProfile(h.writeFile(QStringLiteral("mine.ftly"), writeProfile(sampleRecords()))));
    HoldingsForm &form = h.form();
    if (box == u"name")
        form.nameBox(0)->setText(text);
    else if (box == u"symbol")
        form.symbolBox(0)->setText(text);
    else if (box == u"shares")
        form.sharesBox(0)->setText(text);
    else if (box == u"class")
        form.classSelector(0)->setCurrentIndex(text.toInt());
    else
        form.valueBox(0)->setText(text);
    QCOMPARE(h.dialog->hasUnsavedChanges(), counts);
}

void TestDialogUnsaved::closingMidCalculationStopsItBeforeAsking()
{
    Harness h;
    h.quotes.hold = true;
    h.type(0, QStringLiteral("Total Market"), QStringLiteral("VTI"), QStringLiteral("10"), 2);
    h.dialog->show();
    h.dialog->OnCalculate();
    QPointer<HeldQuoteRequest> lookup = h.quotes.held.first();

    bool calculatingWhileAsked = true;
    h.saveChanges.whileAsking = [&] { calculatingWhileAsked = h.dialog->isCalculating(); };
    h.saveChanges.answer = SaveChangesAnswer::Cancel;
    QVERIFY(!h.dialog->close());
    QVERIFY(!calculatingWhileAsked);
    QVERIFY(h.dialog->isVisible());
    QCOMPARE(h.form().nameBox(0)->text(), QStringLiteral("Total Market"));
    QCOMPARE(lookup->result().failure, QuoteFailure::Stopped);

    h.saveChanges.answer = SaveChangesAnswer::Discard;
    QVERIFY(h.dialog->close());
    QCOMPARE(h.saveChanges.reasons.size(), 2);
}

void TestDialogUnsaved::escapeDuringCalculationOnlyStopsIt()
{
    Harness h;
    h.quotes.hold = true;
    h.type(0, QStringLiteral("Total Market"), QStringLiteral("VTI"), QStringLiteral("10"), 2);
    QVERIFY(h.showActive());
    h.dialog->OnCalculate();
    QVERIFY(h.dialog->isCalculating());

    QTest::keyClick(h.dialog.get(), Qt::Key_Escape);
    QVERIFY(!h.dialog->isCalculating());
    QVERIFY(h.dialog->isVisible());
    QVERIFY(h.saveChanges.reasons.isEmpty());

    // Idle, Escape does nothing: neither closes nor asks.
    QTest::keyClick(h.dialog.get(), Qt::Key_Escape);
    QVERIFY(h.dialog->isVisible());
    QVERIFY(h.saveChanges.reasons.isEmpty());
}

// The question runs an event loop of its own; a session ending or another
// close in it must not take the rows while the user has not answered.
void TestDialogUnsaved::questionAlreadyOpenKeepsTheRows()
{
    Harness h;
    h.dialog->show();
    h.type(0, QStringLiteral("Typed"), QStringLiteral("VTI"), QStringLiteral("10"), 2);
    FakeSessionEnd session;
    bool closedMeanwhile = true;
    h.saveChanges.whileAsking = [&] {
        h.dialog->commitData(session);
        closedMeanwhile = h.dialog->close();
    };
    h.saveChanges.answer = SaveChangesAnswer::Cancel;
    h.dialog->OnGetProfile();

    QCOMPARE(h.saveChanges.reasons.size(), 1);
    QCOMPARE(session.cancels, 1);
    QCOMPARE(session.releases, 1);
    QVERIFY(!closedMeanwhile);
    QVERIFY(h.dialog->isVisible());
    QCOMPARE(h.files.openAsked, 0);
}

void TestDialogUnsaved::loadProfileWaitsForTheRunAndAsksNothing()
{
    Harness h;
    h.quotes.hold = true;
    h.type(0, QStringLiteral("Old"), QStringLiteral("OLD"), QStringLiteral("1"), 2);
    h.dialog->show();
    h.dialog->OnCalculate();
    QVERIFY(h.dialog->isCalculating());
    const QString good = h.writeFile(QStringLiteral("mine.ftly"), writeProfile(sampleRecords()));
    const QStringList before = h.snapshot();

    // A run still pricing the old rows keeps them.
    QVERIFY(!h.dialog->loadProfile(good));
    QCOMPARE(h.snapshot(), before);
    QVERIFY(h.messages.errors.isEmpty());
    h.dialog->stopCalculation();
    QTRY_VERIFY(!h.dialog->isCalculating());

    // loadProfile() itself asks nothing; its callers ask first.
    h.quotes.hold = false;
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    QVERIFY(h.dialog->loadProfile(good));
    QVERIFY(finished.wait());
    QCOMPARE(h.form().nameBox(0)->text(), QStringLiteral("Total Market"));
    QCOMPARE(h.quotes.requested, (QStringList{"OLD", "VTI", "BND", "VXUS"}));
    QVERIFY(h.saveChanges.reasons.isEmpty());
    QVERIFY(!h.dialog->hasUnsavedChanges());
}

void TestDialogUnsaved::targetsCountAsHoldings()
{
    TargetPercents loadedTargets{10, 40, 50, 0, 0};
    Harness h;
    QVERIFY(h.getProfile(
        h.writeFile(QStringLiteral("targets.ftly"), writeProfile(sampleRecords(), loadedTargets))));
    QCOMPARE(h.dialog->targets(), AssetTargets(loadedTargets));
    QVERIFY(!h.dialog->hasUnsavedChanges());

    h.dialog->setTargets(TargetPercents{20, 30, 50, 0, 0});
    QVERIFY(h.dialog->hasUnsavedChanges());
    h.dialog->setTargets(loadedTargets);
    QVERIFY(!h.dialog->hasUnsavedChanges());
    h.dialog->setTargets(std::nullopt);
    QVERIFY(h.dialog->hasUnsavedChanges());

    // A profile without targets clears the ones on the form.
    h.saveChanges.answer = SaveChangesAnswer::Discard;
    QVERIFY(h.getProfile(h.writeFile(QStringLiteral("none.ftly"), writeProfile(sampleRecords()))));
    QCOMPARE(h.saveChanges.reasons, QList<SetAsideReason>{SetAsideReason::OpeningProfile});
    QVERIFY(h.dialog->targets() == std::nullopt);
    QVERIFY(!h.dialog->hasUnsavedChanges());

    // Saving takes the targets into what counts as saved.
    h.dialog->setTargets(loadedTargets);
    h.files.savePath = h.dir.filePath(QStringLiteral("saved.ftly"));
    h.dialog->OnSaveProfile();
    QVERIFY(h.messages.errors.isEmpty());
    QVERIFY(!h.dialog->hasUnsavedChanges());
    QCOMPARE(loadProfileFile(h.files.savePath).targets, AssetTargets(loadedTargets));
}

void TestDialogUnsaved::mixedEncodingProfileThroughTheDialog()
{
    Holdings records;
    QByteArray bytes = writeProfile(records);
    // Row 0 in UTF-8, row 1 in Windows-1252, as an older file edited by hand.
    bytes.replace(0, QByteArray("AssetName\tNULL").size(), "AssetName\tCaf\xC3\xA9#Cr\xC3\xA8me");
    bytes.replace(bytes.indexOf("AssetName\tNULL"), QByteArray("AssetName\tNULL").size(),
                  "AssetName\t\x80uro#Stoxx#M\xFCnchen");

    Harness h;
    h.saveChanges.answer = SaveChangesAnswer::Cancel;
    QVERIFY(h.getProfile(h.writeFile(QStringLiteral("mixed.ftly"), bytes)));
    QCOMPARE(h.form().nameBox(0)->text(), QStringLiteral("Café Crème"));
    QCOMPARE(h.form().nameBox(1)->text(), QStringLiteral("€uro Stoxx München"));
    QVERIFY(!h.dialog->hasUnsavedChanges());
}

void TestDialogUnsaved::messagesShowNoRawBytes_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");

    QByteArray badShares = writeProfile(sampleRecords());
    badShares.replace("AssetShares\t4\n", "AssetShares\t4\x01\x02\n");
    QTest::newRow("control bytes in shares") << "mine.ftly" << badShares
        << "the shares \"4\\x01\\x02\" in record 2 are not a number";
    QByteArray hugeShares = writeProfile(sampleRecords());
    hugeShares.replace("AssetShares\t4\n", "AssetShares\t1e999\n");
    QTest::newRow("shares too large for a number") << "mine.ftly" << hugeShares
        << "the shares \"1e999\" in record 2 are out of range";
    QTest::newRow("junk") << "mine.ftly" << QByteArray("\x7f" "ELF\x02\x01\x01\x00\x00", 9)
        << "it is not a Fundtally profile (it starts with \"\\x7fELF\\x02\\x01\\x01\\x00\\x00\", not \"AssetName\")";
    QTest::newRow("a page") << "mine.ftly" << QByteArray("<html><body>404</body></html>\n")
        << "it is not a Fundtally profile";
    QTest::newRow("line break in the file name") << "two\nlines.ftly" << QByteArray()
        << "two\\x0alines.ftly";
}

void TestDialogUnsaved::messagesShowNoRawBytes()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);

    Harness h;
    h.files.openPath = h.writeFile(fileName, bytes);
    QVERIFY(!h.files.openPath.isEmpty());
    h.dialog->OnGetProfile();
    QCOMPARE(h.messages.errors.size(), 1);
    const QString &message = h.messages.errors.first();
    QVERIFY2(message.contains(shown), qPrintable(message));
    for (const QChar c : message)
        QVERIFY2(c.isPrint(), qPrintable(message));
    QVERIFY(h.quotes.requested.isEmpty());
}

void TestDialogUnsaved::fileDialogsStartAtTheLastProfile()
{
    Harness h;
    QDir dir(h.dir.path());
    QVERIFY(dir.mkpath(QStringLiteral("loaded")) && dir.mkpath(QStringLiteral("saved"))
            && dir.mkpath(QStringLiteral("broken")));
    const QString savedFolder = dir.filePath(QStringLiteral("saved"));

    // Before any profile the desktop picks the folder.
    h.files.savePath.clear();
    h.dialog->OnSaveProfile();
    QCOMPARE(h.files.saveStarts, QStringList{QString()});

    const QString loaded = h.writeFile(QStringLiteral("loaded/mine.ftly"), writeProfile(sampleRecords()));
    QVERIFY(h.getProfile(loaded));
    QCOMPARE(h.files.openFolders, QStringList{QString()});
    h.dialog->OnSaveProfile();
    QCOMPARE(h.files.saveStarts.last(), loaded);
    // Save in the closing question starts at the same file.
    h.form().nameBox(0)->setText(QStringLiteral("Changed"));
    h.saveChanges.answer = SaveChangesAnswer::Save;
    h.dialog->accept();
    QCOMPARE(h.files.saveStarts, (QStringList{QString(), loaded, loaded}));
    h.saveChanges.answer = SaveChangesAnswer::Discard;

    h.files.savePath = dir.filePath(QStringLiteral("saved/copy.ftly"));
    h.dialog->OnSaveProfile();
    QVERIFY(h.messages.errors.isEmpty());
    h.files.openPath.clear();
    h.dialog->OnGetProfile();
    QCOMPARE(h.files.openFolders.last(), savedFolder);

    // A file that does not load leaves the folder as it was.
    h.files.openPath = h.writeFile(QStringLiteral("broken/bad.ftly"), "junk");
    h.dialog->OnGetProfile();
    QCOMPARE(h.messages.errors.size(), 1);
    h.files.openPath.clear();
    h.dialog->OnGetProfile();
    QCOMPARE(h.files.openFolders.last(), savedFolder);
}

void TestDialogUnsaved::questionBoxOffersSaveDiscardCancel_data()
{
    QTest::addColumn<SetAsideReason>("reason");
    QTest::addColumn<QString>("text");

    QTest::newRow("closing") << SetAsideReason::Closing
                             << "Save changes to your holdings before closing?";
    QTest::newRow("opening a profile") << SetAsideReason::OpeningProfile
                                       << "Save changes to your holdings before opening another profile?";
}

void TestDialogUnsaved::questionBoxOffersSaveDiscardCancel()
{
    QFETCH(SetAsideReason, reason);
    QFETCH(QString, text);

    QWidget parent;
    const std::unique_ptr<QMessageBox> box = createSaveChangesBox(&parent, reason);
    QCOMPARE(box->parentWidget(), &parent);
    QCOMPARE(box->text(), text);
    QCOMPARE(box->standardButtons(), QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    QCOMPARE(box->defaultButton(), box->button(QMessageBox::Save));
    QCOMPARE(box->escapeButton(), box->button(QMessageBox::Cancel));
}

void TestDialogUnsaved::questionBoxAnswers_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<SaveChangesAnswer>("answer");

    QTest::newRow("Save") << int(QMessageBox::Save) << SaveChangesAnswer::Save;
    QTest::newRow("Discard") << int(QMessageBox::Discard) << SaveChangesAnswer::Discard;
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << SaveChangesAnswer::Cancel;
    // Closed by the window manager or the session: nothing is given up.
    QTest::newRow("no button") << int(QMessageBox::NoButton) << SaveChangesAnswer::Cancel;
    QTest::newRow("another button") << int(QMessageBox::Ok) << SaveChangesAnswer::Cancel;
}

void TestDialogUnsaved::questionBoxAnswers()
{
    QFETCH(int, button);
    QFETCH(SaveChangesAnswer, answer);
    QCOMPARE(saveChangesAnswer(static_cast<QMessageBox::StandardButton>(button)), answer);
}

// While the opened profile is priced, the previous rows' chart, class
// percentages and advice are gone.
void TestDialogUnsaved::openedProfileShowsNothingOfTheLastResult()
{
    Harness h;
    h.type(0, QStringLiteral("Total Market"), QStringLiteral("VTI"), QStringLiteral("10"), 2);
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    h.dialog->OnCalculate();
    QVERIFY(finished.size() == 1 || finished.wait());
    QCOMPARE(h.form().classPercentBox(2)->text(), QStringLiteral("100"));

    h.quotes.hold = true;
    h.files.openPath = h.writeFile(QStringLiteral("next.ftly"), writeProfile(sampleRecords()));
    h.dialog->OnGetProfile();
    QVERIFY(h.dialog->isCalculating());
    QCOMPARE(h.form().classPercentBox(2)->text(), QStringLiteral("0"));
    QCOMPARE(h.form().allocationLegend()->accessibleDescription(), QStringLiteral("No holdings priced"));
    QVERIFY(!h.dialog->lastCalculation().calculated);
    h.dialog->stopCalculation();
}

QTEST_MAIN(TestDialogUnsaved)
#include "tst_dialogunsaved.moc"
