// The beacon editor, and the windows of the tools, report and weblog menus: what they
// read and store, and how each hands control back to the main window.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "Clock.h"
#include "RegistryStore.h"
#include "Text.h"
#include "UiTestSupport.h"
#include "editor/frmName.h"
#include "logbook/frmLog.h"
#include "logbook/frmReceptionComments.h"
#include "preferences/frmGPSRadar.h"
#include "radar/frmAuroralOval.h"
#include "radar/frmBeaconsPerBearing.h"
#include "reports/frmCLEReport.h"
#include "reports/frmCLEReportView.h"
#include "reports/frmListeningReportView.h"
#include "reports/frmListeningReports.h"
#include "startup/frmFileOperation.h"
#include "weblog/frmWeblogImport.h"

using namespace qern;
using namespace qern::test;

namespace {

constexpr const char *kProg = RegistryKeys::ProgramPreferences;
constexpr const char *kFilePath = RegistryKeys::FilePath;

Beacon beacon(const QByteArray &ident, const QByteArray &frequency, quint32 mask = 0)
{
    Beacon b;
    b.ident = ident;
    b.frequency = frequency;
    b.loggedMask = mask;
    return b;
}

// Three beacons in frequency order, as a sorted database holds them.
QList<Beacon> threeBeacons()
{
    return {beacon("AAA", "200"), beacon("ABC", "300", 5), beacon("XYZ", "400")};
}

BeaconRecord storedBeacon(const TestProgram &program, qint64 number)
{
    return BeaconRecord::fromBytes(program.read(QStringLiteral("ndb.dat")).mid((number - 1) * BeaconRecord::Length,
                                                                              BeaconRecord::Length));
}

qint64 storedCount(const TestProgram &program)
{
    return program.read(QStringLiteral("ndb.dat")).size() / BeaconRecord::Length;
}

void lookUp(frmMain *main, const QString &text)
{
    main->txtIdent->setText(text);
    main->cmdLookUp_Click();
}

// What "New/Change" does, without the modal loop.
frmName *openEditor(TestProgram &program, frmMain *main)
{
    main->SetEditorRequest();
    frmName *editor = program.windows->editor();
    editor->Command1->setEnabled(true);
    editor->showForm();
    return editor;
}

void fillNewBeacon(frmName *editor)
{
    editor->txtIdentIn->setText(QStringLiteral("NEW"));
    editor->txtCountryIn->setText(QStringLiteral("Canada"));
    editor->txtStateIn->setText(QStringLiteral("Ontario"));
    editor->txtLocationIn->setText(QStringLiteral("Lake Town"));
    editor->txtFrequencyIn->setText(QStringLiteral("350"));
    editor->txtClassIn->setText(QStringLiteral("NDB"));
    editor->txtPowerIn->setText(QStringLiteral("50"));
    editor->txtLatitudeIn->setText(QStringLiteral("N46000000"));
    editor->txtLongitudeIn->setText(QStringLiteral("W080000000"));
    editor->txtCycleIn->setText(QStringLiteral("10"));
    editor->txtUSBIn->setText(QStringLiteral("1020"));
    editor->txtLSBIn->clear();
    editor->chkDAID->setChecked(true);
    editor->txtCommentsIn->setText(QStringLiteral("first note"));
}

const QDateTime kMarch2026(QDate(2026, 3, 15), QTime(12, 0));

} // namespace

class NeighboursTest : public QObject {
    Q_OBJECT

private slots:
    // ---------------------------------------------------------------------------------
    // The beacon editor

    void newChangeWithNoBeaconShownOpensTheEditorModalForTheRecordAfterTheLast()
    {
        TestProgram program;
        QList<Beacon> beacons;
        for (int i = 0; i < 2130; ++i)
            beacons.append(beacon("B" + QByteArray::number(i), QByteArray::number(200 + i % 300)));
        program.writeBeacons(beacons);
        frmMain *main = program.startToMain();
        QVERIFY(main);
        QVERIFY(main->cmdUpdate->isEnabled());

        bool modal = false;
        bool newRecord = false;
        qint64 number = 0;
        QString ident = QStringLiteral("not read");
        bool deleteEnabled = true;
        bool newRecordEnabled = true;
        QTimer::singleShot(0, [&] {
            frmName *editor = program.windows->editor();
            modal = editor->isModal() && editor->isVisible();
            newRecord = editor->isNewRecord();
            number = editor->recordNumber();
            ident = editor->txtIdentIn->text();
            deleteEnabled = editor->cmdDelete->isEnabled();
            newRecordEnabled = editor->Command2->isEnabled();
            editor->Command1->click();
        });
        main->cmdUpdate->click();

        QVERIFY(modal);
        QCOMPARE(program.state.NewRecordFlag, 1);
        QCOMPARE(program.state.EditRecordNumber, qint64(2131));
        QVERIFY(program.state.EditorOpenedFromMain);
        QVERIFY(newRecord);
        QCOMPARE(number, qint64(2131));
        QCOMPARE(ident, QString());
        QVERIFY(!deleteEnabled);
        QVERIFY(!newRecordEnabled);
        QVERIFY(!program.windows->isEditorLoaded());
        QVERIFY(main->isEnabled());
        QCOMPARE(main->lblkHz->text(), QString()); // the empty ident box clears the display
        QCOMPARE(storedCount(program), qint64(2130));
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void updateWritesANewRecordSortsAndShowsIt()
    {
        const ScopedClock clock(kMarch2026);
        TestProgram program;
        program.writeBeacons(threeBeacons());
        const QByteArray before = program.read(QStringLiteral("ndb.dat"));
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmName *editor = openEditor(program, main);
        QVERIFY(editor->isNewRecord());
        fillNewBeacon(editor);

        editor->cmdWrite->click();

        QVERIFY2(program.boxes.shown.isEmpty(), qPrintable(program.boxes.texts().join(QLatin1Char('|'))));
        QCOMPARE(storedCount(program), qint64(4));
        const BeaconRecord written = storedBeacon(program, 3); // 200, 300, 350, 400
        QCOMPARE(written.raw(BeaconField::Ident), ShiftTextUp("NEW") + "    ");
        QCOMPARE(written.trimmedText(BeaconField::CountryCode), QByteArray("CAN"));
        QCOMPARE(written.trimmedText(BeaconField::StateCode), QByteArray("ON"));
        QCOMPARE(written.trimmedText(BeaconField::Location), QByteArray("Lake Town"));
        QCOMPARE(written.raw(BeaconField::Current), ShiftTextUp("202603"));
        QCOMPARE(written.raw(BeaconField::DAID), ShiftTextUp("1"));
        QCOMPARE(written.raw(BeaconField::LSB), QByteArray("     "));
        QCOMPARE(written.raw(BeaconField::LoggedMask), QByteArray("0    "));
        QCOMPARE(written.raw(BeaconField::CLEMark), QByteArray(" "));
        QCOMPARE(storedBeacon(program, 4).trimmedText(BeaconField::Ident), QByteArray("XYZ"));
        QCOMPARE(program.read(QStringLiteral("ndb.bak")), before);

        QCOMPARE(main->lblkHz->text(), QStringLiteral("NEW  350 kHz"));
        QCOMPARE(program.state.CurrentRecordNumber, qint64(3));
        QVERIFY(main->cmdLookUp->isEnabled()); // the integrity check passed
        QVERIFY(!editor->isNewRecord());
        QCOMPARE(editor->recordNumber(), qint64(3));
        QCOMPARE(editor->txtCurrentIn->text(), QStringLiteral("202603"));
    }

    void aSecondUpdateChangesTheSameBeaconAfterTheSort()
    {
        const ScopedClock clock(kMarch2026);
        TestProgram program;
        program.writeBeacons(threeBeacons());
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmName *editor = openEditor(program, main);
        fillNewBeacon(editor);
        editor->cmdWrite->click();
        const QByteArray xyz = storedBeacon(program, 4).bytes();

        editor->txtCommentsIn->setText(QStringLiteral("second note"));
        editor->txtFrequencyIn->setText(QStringLiteral("250"));
        editor->cmdWrite->click();

        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(storedCount(program), qint64(4));
        const BeaconRecord moved = storedBeacon(program, 2); // 200, 250, 300, 400
        QCOMPARE(moved.trimmedText(BeaconField::Ident), QByteArray("NEW"));
        QCOMPARE(moved.trimmedText(BeaconField::Comments), QByteArray("second note"));
        QCOMPARE(storedBeacon(program, 4).bytes(), xyz);
        QCOMPARE(editor->recordNumber(), qint64(2));
        QCOMPARE(main->lblkHz->text(), QStringLiteral("NEW  250 kHz"));
    }

    void changingABeaconKeepsItsLogMarks()
    {
        TestProgram program;
        QList<Beacon> beacons = threeBeacons();
        program.writeBeacons(beacons);
        // ABC is in the session log.
        QByteArray bytes = program.read(QStringLiteral("ndb.dat"));
        bytes[BeaconRecord::Length + 211] = 'z';
        program.write(QStringLiteral("ndb.dat"), bytes);
        frmMain *main = program.startToMain();
        QVERIFY(main);
        lookUp(main, QStringLiteral("ABC"));
        QCOMPARE(program.state.CurrentRecordNumber, qint64(2));

        frmName *editor = openEditor(program, main);
        QVERIFY(!editor->isNewRecord());
        QCOMPARE(editor->recordNumber(), qint64(2));
        QCOMPARE(editor->txtIdentIn->text(), QStringLiteral("ABC"));
        QCOMPARE(editor->txtCountryIn->text(), QStringLiteral("Canada"));
        QCOMPARE(editor->txtStateIn->text(), QStringLiteral("Ontario"));
        QCOMPARE(editor->txtFrequencyIn->text(), QStringLiteral("300"));
        QCOMPARE(editor->txtCurrentIn->text(), QStringLiteral("202601"));
        QVERIFY(!editor->chkDAID->isChecked());

        editor->txtFrequencyIn->setText(QStringLiteral("450"));
        editor->cmdWrite->click();

        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(storedCount(program), qint64(3));
        const BeaconRecord changed = storedBeacon(program, 3);
        QCOMPARE(changed.trimmedText(BeaconField::Ident), QByteArray("ABC"));
        QCOMPARE(changed.trimmedText(BeaconField::Frequency), QByteArray("450"));
        QCOMPARE(changed.loggedMask(), 5u);
        QVERIFY(changed.inSession());
        QCOMPARE(changed.trimmedText(BeaconField::StateCode), QByteArray("ON"));
        QCOMPARE(storedBeacon(program, 2).trimmedText(BeaconField::Ident), QByteArray("XYZ"));
        QCOMPARE(main->lblkHz->text(), QStringLiteral("ABC  450 kHz"));
    }

    void entriesTheDatabaseCannotHoldAreRefusedBeforeAnythingIsWritten_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("frequency 0") << "txtFrequencyIn" << "0"
                                     << "Frequency must be a number of kHz greater than 0 and less than 4500.";
        QTest::newRow("frequency 4500") << "txtFrequencyIn" << "4500"
                                        << "Frequency must be a number of kHz greater than 0 and less than 4500.";
        QTest::newRow("no frequency") << "txtFrequencyIn" << ""
                                      << "Frequency must be a number of kHz greater than 0 and less than 4500.";
        QTest::newRow("byte 254") << "txtCommentsIn" << QString(QChar(0xFE))
                                  << "The Comments entry holds a character that cannot be stored in the database.";
        QTest::newRow("not Windows-1252") << "txtLocationIn" << QStringLiteral("Łódź")
                                          << "The Location entry holds a character that cannot be stored in the "
                                             "database.";
        QTest::newRow("unknown country") << "txtCountryIn" << "Atlantis"
                                         << "Country not found. Enter a country of Country.dat, by name or code.";
    }
    void entriesTheDatabaseCannotHoldAreRefusedBeforeAnythingIsWritten()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        TestProgram program;
        program.writeBeacons(threeBeacons());
        const QByteArray before = program.read(QStringLiteral("ndb.dat"));
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmName *editor = openEditor(program, main);
        fillNewBeacon(editor);
        editor->findChild<QLineEdit *>(box)->setText(text);

        editor->cmdWrite->click();

        QCOMPARE(program.boxes.texts(), QStringList{message});
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), before);
        QVERIFY(!QFile::exists(program.path(QStringLiteral("ndb.bak"))));
        QVERIFY(editor->isNewRecord());
    }

    void aFailedAutomaticBackupStopsTheWrite()
    {
        TestProgram program;
        program.writeBeacons(threeBeacons());
        const QByteArray before = program.read(QStringLiteral("ndb.dat"));
        // A folder where the copy of ndb.dat belongs: the copy cannot replace it.
        program.write(QStringLiteral("ndb.bak/keep"), "x");
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmName *editor = openEditor(program, main);
        fillNewBeacon(editor);

        editor->cmdWrite->click();

        QCOMPARE(program.boxes.shown.size(), 1);
        QVERIFY2(program.boxes.shown[0].text.startsWith(QStringLiteral("Error # ")),
                 qPrintable(program.boxes.shown[0].text));
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), before);
    }

    void exitSearchesAgainForTheEditorsIdentAndFrequency()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338"), beacon("DEF", "290"), beacon("ABC;2", "415")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        lookUp(main, QStringLiteral("ABC"));
        main->scrBeaconNumber->setValue(2);
        QCOMPARE(main->lblkHz->text(), QStringLiteral("ABC  415 kHz"));
        frmName *editor = openEditor(program, main);
        QCOMPARE(editor->txtIdentIn->text(), QStringLiteral("ABC;2"));

        editor->Command1->click();

        // The ident alone would show the first match, at 338 kHz.
        QCOMPARE(main->lblkHz->text(), QStringLiteral("ABC  415 kHz"));
        QCOMPARE(program.state.SearchMatchCount, qint64(2));
        QVERIFY(!main->scrBeaconNumber->isHidden());
        QVERIFY(!program.windows->isEditorLoaded());
        QVERIFY(main->isEnabled());
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void exitWithAnEmptyIdentClearsTheDisplay()
    {
        TestProgram program;
        program.writeBeacons(threeBeacons());
        frmMain *main = program.startToMain();
        QVERIFY(main);
        lookUp(main, QStringLiteral("ABC"));
        frmName *editor = openEditor(program, main);
        editor->txtIdentIn->clear();

        editor->close(); // the title bar does what "Exit" does

        QCOMPARE(main->lblkHz->text(), QString());
        QCOMPARE(main->txtCountry->text(), QString());
        QCOMPARE(program.state.SearchMatchCount, qint64(0));
        QVERIFY(!program.windows->isEditorLoaded());
        QCOMPARE(storedCount(program), qint64(3));
    }

    void fromTheReceptionDialogTheEditorNotesTheNewNumberAndHandsTheDialogBack()
    {
        TestProgram program;
        program.writeBeacons(threeBeacons());
        frmMain *main = program.startToMain();
        QVERIFY(main);
        lookUp(main, QStringLiteral("ABC"));
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        dialog->cmdChangeBeacon->click();
        QVERIFY(!dialog->isVisible());
        frmName *editor = program.windows->editor();
        QVERIFY(editor->isVisible());
        QVERIFY(!editor->isModal());
        QCOMPARE(editor->recordNumber(), qint64(2));

        editor->txtFrequencyIn->setText(QStringLiteral("150"));
        editor->cmdWrite->click();

        QCOMPARE(program.state.CurrentRecordNumber, qint64(1));
        QCOMPARE(main->lblkHz->text(), QStringLiteral("ABC  300 kHz")); // not shown again in the main window
        editor->Command1->click();
        QVERIFY(dialog->isVisible());
        QVERIFY(!main->isEnabled());
        QVERIFY(!program.windows->isEditorLoaded());
    }

    void stateListFollowsTheCountryBox()
    {
        TestProgram program;
        program.writeBeacons(threeBeacons());
        frmMain *main = program.startToMain();
        QVERIFY(main);
        lookUp(main, QStringLiteral("ABC"));
        frmName *editor = openEditor(program, main);
        QVERIFY(editor->lstStateIn->count() > 0);
        QVERIFY(!editor->lstStateIn->findItems(QStringLiteral("Ontario"), Qt::MatchExactly).isEmpty());

        editor->txtCountryIn->setFocus();
        editor->txtCountryIn->setText(QStringLiteral("usa"));
        editor->txtCountryIn_LostFocus();

        QCOMPARE(editor->txtCountryIn->text(), QStringLiteral("USA"));
        QVERIFY(editor->lstStateIn->findItems(QStringLiteral("Ontario"), Qt::MatchExactly).isEmpty());
        QVERIFY(!editor->lstStateIn->findItems(QStringLiteral("Maine"), Qt::MatchExactly).isEmpty());
        QCOMPARE(editor->txtStateIn->text(), QStringLiteral("Ontario"));

        editor->lstStateIn->setCurrentRow(0);
        editor->lstStateIn_Click();
        QCOMPARE(editor->txtStateIn->text(), editor->lstStateIn->item(0)->text());
    }

    void aRecordThatCannotBeReadCannotBeOverwritten()
    {
        TestProgram program;
        program.writeBeacons(threeBeacons());
        frmMain *main = program.startToMain();
        QVERIFY(main);
        program.state.NewRecordFlag = 0;
        program.state.EditRecordNumber = 9;
        program.state.EditorOpenedFromMain = true;

        frmName *editor = program.windows->editor();

        QCOMPARE(program.boxes.shown.size(), 1);
        QVERIFY(program.boxes.shown[0].text.startsWith(QStringLiteral("Error # ")));
        QVERIFY(!editor->cmdWrite->isEnabled());
    }

    void sortButtonSortsAndTheEditorFollowsItsBeacon()
    {
        TestProgram program;
        program.writeBeacons({beacon("XYZ", "400"), beacon("AAA", "200"), beacon("ABC", "300")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        lookUp(main, QStringLiteral("XYZ"));
        frmName *editor = openEditor(program, main);
        QCOMPARE(editor->recordNumber(), qint64(1));

        editor->cmdSort->click();

        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(storedBeacon(program, 1).trimmedText(BeaconField::Ident), QByteArray("AAA"));
        QCOMPARE(storedBeacon(program, 3).trimmedText(BeaconField::Ident), QByteArray("XYZ"));
        QCOMPARE(editor->recordNumber(), qint64(3));
        QVERIFY(QFile::exists(program.path(QStringLiteral("ndb.bak"))));
    }

    // ---------------------------------------------------------------------------------
    // Listening reports

    void createReportStoresTheLocationAndTheOptionsWindowReadsItBack()
    {
        TestProgram program;
        program.writeBeacons(threeBeacons());
        frmMain *main = program.startToMain();
        QVERIFY(main);
        main->cmdListeningReports->trigger();
        frmListeningReports *options = program.windows->listeningReports();
        options->cmbListeningLocation->setCurrentIndex(3);

        options->cmdCreate->click();

        QCOMPARE(program.store->GetRegistryValue(kProg, "ListeningReportDefaultLocation"), QByteArray(" 3"));
        QVERIFY(program.windows->isListeningReportViewLoaded());
        QVERIFY(program.windows->listeningReportView()->isVisible());

        options->cmdExit->click();
        QVERIFY(!program.windows->isListeningReportViewLoaded());
        QVERIFY(main->isEnabled());
        main->cmdListeningReports->trigger();
        QCOMPARE(options->cmbListeningLocation->currentIndex(), 3);
    }

    void listeningReportViewReadsAndStoresItsSortOrder()
    {
        TestProgram program;
        program.presetSetting(kProg, "String", "ListeningReportSortBy", " 2");
        program.presetSetting(kProg, "String", "ListeningReportSortByOrder", "Descending");
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmListeningReportView *view = program.windows->listeningReportView();
        QCOMPARE(view->lstSortBy->currentRow(), 2);
        QCOMPARE(view->lstSortBy->currentItem()->text(), QStringLiteral("Frequency"));
        QVERIFY(view->optDescending->isChecked());

        view->lstSortBy->setCurrentRow(4);
        view->optAscending->setChecked(true);
        view->Command1->click();

        QCOMPARE(program.store->GetRegistryValue(kProg, "ListeningReportSortBy"), QByteArray(" 4"));
        QCOMPARE(program.store->GetRegistryValue(kProg, "ListeningReportSortByOrder"), QByteArray("Ascending"));
    }

    void listeningReportViewStoresAndPresetsTheFileNameOfEachKind()
    {
        TestProgram program;
        program.writeBeacons(threeBeacons());
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmListeningReportView *view = program.windows->listeningReportView();
        view->optExcel->setChecked(true);
        view->txtFileName->setText(QStringLiteral("/tmp/week.csv"));
        view->cmdOK->click();
        view->optText->setChecked(true);
        view->txtFileName->setText(QStringLiteral("/tmp/week.txt"));
        view->cmdOK->click();

        QCOMPARE(program.store->GetRegistryValue(kFilePath, "ListeningReportExcel"), QByteArray("/tmp/week.csv"));
        QCOMPARE(program.store->GetRegistryValue(kFilePath, "ListeningReportText"), QByteArray("/tmp/week.txt"));
        // Nothing is saved, and the user is told so.
        QCOMPARE(program.boxes.shown.size(), 2);
        QVERIFY(program.boxes.shown[0].text.startsWith(QStringLiteral("No report file was written")));

        view->txtFileName->clear();
        view->optExcel->setChecked(true);
        view->cmdExcel->click();
        QCOMPARE(view->txtFileName->text(), QStringLiteral("/tmp/week.csv"));
        view->optText->setChecked(true);
        view->cmdExcel->click();
        QCOMPARE(view->txtFileName->text(), QStringLiteral("/tmp/week.txt"));
    }

    void reportViewsOpenThePathChooserOnTheirFileBox_data()
    {
        QTest::addColumn<bool>("session");
        QTest::addColumn<bool>("text");
        QTest::addColumn<int>("mode");
        QTest::newRow("listening, text") << false << true << 5;
        QTest::newRow("listening, csv") << false << false << 6;
        QTest::newRow("session, text") << true << true << 7;
        QTest::newRow("session, csv") << true << false << 8;
    }
    void reportViewsOpenThePathChooserOnTheirFileBox()
    {
        QFETCH(bool, session);
        QFETCH(bool, text);
        QFETCH(int, mode);
        TestProgram program;
        frmMain *main = program.startToMain();
        QVERIFY(main);
        QLineEdit *fileBox = nullptr;
        if (session) {
            frmCLEReportView *view = program.windows->cleReportView();
            (text ? view->optText : view->optExcel)->setChecked(true);
            fileBox = view->txtFileName;
            view->Command3->click();
        } else {
            frmListeningReportView *view = program.windows->listeningReportView();
            (text ? view->optText : view->optExcel)->setChecked(true);
            fileBox = view->txtFileName;
            view->Command3->click();
        }

        QCOMPARE(program.state.FileOperationMode, mode);
        QVERIFY(program.windows->isFileOperationLoaded());
        frmFileOperation *chooser = program.windows->fileOperation();
        QVERIFY(chooser->isVisible());
        QCOMPARE(chooser->target(), fileBox);
    }

    // ---------------------------------------------------------------------------------
    // Session reports

    void sessionReportOptionsAreReadAndStoredAsTwentyOneCharacters()
    {
        TestProgram program;
        program.presetSetting(kProg, "String", "CLEReportSettings", "101000000000101900530");
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmCLEReport *options = program.windows->cleReport();
        QCOMPARE(options->chkOption.size(), 13);
        QVERIFY(options->chkOption[0]->isChecked());
        QVERIFY(!options->chkOption[1]->isChecked());
        QVERIFY(options->chkOption[2]->isChecked());
        QVERIFY(options->chkOption[12]->isChecked());
        QCOMPARE(options->txtLowerKHz->text(), QStringLiteral("190"));
        QCOMPARE(options->txtUpperKHz->text(), QStringLiteral("530"));

        options->chkOption[1]->setChecked(true);
        options->chkOption[12]->setChecked(false);
        options->txtUpperKHz->setText(QStringLiteral("1750"));
        options->Command3->click();

        QCOMPARE(program.store->GetRegistryValue(kProg, "CLEReportSettings"), QByteArray("111000000000001901750"));
        QVERIFY(program.windows->isCLEReportViewLoaded());
        QVERIFY(program.windows->cleReportView()->isVisible());
    }

    void sessionReportOptionsStartFromDefaultsWhenTheSettingIsNotOfItsForm()
    {
        TestProgram program;
        program.presetSetting(kProg, "String", "CLEReportSettings", "10100");
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmCLEReport *options = program.windows->cleReport();
        for (QCheckBox *box : options->chkOption)
            QVERIFY(box->isChecked());
        QCOMPARE(options->txtLowerKHz->text(), QStringLiteral("0"));
        QCOMPARE(options->txtUpperKHz->text(), QStringLiteral("9999"));
    }

    void sessionReportKeepsTheViewersReportButtonDisabledAndClosingHandsTheViewerBack()
    {
        TestProgram program;
        program.writeBeacons(threeBeacons());
        frmMain *main = program.startToMain();
        QVERIFY(main);
        program.state.LogViewMode = 1;
        frmLog *viewer = program.windows->log();
        viewer->hide();

        frmCLEReport *options = program.windows->cleReport();
        options->showForm();
        QVERIFY(!viewer->commands().isArmed(viewer->cmdExport));

        options->Command2->click();

        QVERIFY(!program.windows->isCLEReportLoaded());
        QVERIFY(viewer->isVisible());
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void sessionReportViewReadsAndStoresItsSortOrder_data()
    {
        QTest::addColumn<QByteArray>("storedBy");
        QTest::addColumn<QByteArray>("storedOrder");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("descending");
        QTest::newRow("never saved") << QByteArray() << QByteArray() << 0 << false;
        QTest::newRow("ident, descending") << QByteArray(" 3") << QByteArray("Descending") << 3 << true;
        QTest::newRow("anything else is ascending") << QByteArray("1") << QByteArray("Sideways") << 1 << false;
    }
    void sessionReportViewReadsAndStoresItsSortOrder()
    {
        QFETCH(QByteArray, storedBy);
        QFETCH(QByteArray, storedOrder);
        QFETCH(int, row);
        QFETCH(bool, descending);
        TestProgram program;
        program.presetSetting(kProg, "String", "CLESortBy", storedBy);
        program.presetSetting(kProg, "String", "CLESortByOrder", storedOrder);
        frmMain *main = program.startToMain();
        QVERIFY(main);

        frmCLEReportView *view = program.windows->cleReportView();
        QCOMPARE(view->lstSortBy->currentRow(), row);
        QCOMPARE(view->optDescending->isChecked(), descending);
        QCOMPARE(view->optAscending->isChecked(), !descending);

        view->lstSortBy->setCurrentRow(1);
        view->optDescending->setChecked(true);
        view->cmdSort->click();
        QCOMPARE(program.store->GetRegistryValue(kProg, "CLESortBy"), QByteArray(" 1"));
        QCOMPARE(program.store->GetRegistryValue(kProg, "CLESortByOrder"), QByteArray("Descending"));
    }

    void sessionReportViewStoresAndPresetsItsFileNames()
    {
        TestProgram program;
        program.writeBeacons(threeBeacons());
        program.presetSetting(kFilePath, "String", "CLEReportExcel", "/data/cle.csv");
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmCLEReportView *view = program.windows->cleReportView();
        view->optExcel->setChecked(true);
        view->cmdSaveAs->click();
        QCOMPARE(view->txtFileName->text(), QStringLiteral("/data/cle.csv"));

        view->optText->setChecked(true);
        view->txtFileName->setText(QStringLiteral("/data/cle.txt"));
        view->cmdSave->click();

        QCOMPARE(program.store->GetRegistryValue(kFilePath, "CLEReportText"), QByteArray("/data/cle.txt"));
        QCOMPARE(program.store->GetRegistryValue(kFilePath, "CLEReportExcel"), QByteArray("/data/cle.csv"));
        QCOMPARE(program.boxes.shown.size(), 1);
        QVERIFY(program.boxes.shown[0].text.startsWith(QStringLiteral("No report file was written")));
    }

    // ---------------------------------------------------------------------------------
    // Weblog

    void weblogWindowListsTheLocationsAndStoresItsFolder()
    {
        TestProgram program;
        program.presetSetting(RegistryKeys::ListeningLocations, "String", "Location(2)", "Cabin");
        RegistryStore(program.settingsPath()).DeleteRegistryValue(RegistryKeys::ListeningLocations, "Location(5)");
        frmMain *main = program.startToMain();
        QVERIFY(main);

        main->mnuWeblogImport->trigger();

        frmWeblogImport *weblog = program.windows->weblogImport();
        QVERIFY(weblog->isVisible());
        QVERIFY(!main->isEnabled());
        QCOMPARE(weblog->windowTitle(), QStringLiteral("NDB Weblog Import/Export"));
        QCOMPARE(weblog->cmbListeningLocation->count(), 16);
        QCOMPARE(weblog->cmbListeningLocation->itemText(0), QStringLiteral("Location 1"));
        QCOMPARE(weblog->cmbListeningLocation->itemText(2), QStringLiteral("Cabin"));
        QCOMPARE(weblog->cmbListeningLocation->itemText(5), QStringLiteral("Empty"));
        QCOMPARE(weblog->txtWeblog->text(), fromWindows1252(program.state.WeblogFolder));
        QVERIFY(!weblog->cmdImportToQERN->isEnabled());
        QVERIFY(!weblog->cmdExportToWeblog->isEnabled());

        weblog->txtWeblog->setText(QStringLiteral("/home/me/weblog/"));
        weblog->cmdSavePrefs->click();
        QCOMPARE(program.store->GetRegistryValue(kFilePath, "WeblogPath"), QByteArray("/home/me/weblog/"));
    }

    void weblogFolderButtonOpensThePathChooserInModeThree()
    {
        TestProgram program;
        frmMain *main = program.startToMain();
        QVERIFY(main);
        main->mnuWeblogImport->trigger();
        frmWeblogImport *weblog = program.windows->weblogImport();

        weblog->cmdWeblogImport->click();

        QCOMPARE(program.state.FileOperationMode, 3);
        frmFileOperation *chooser = program.windows->fileOperation();
        QVERIFY(chooser->isVisible());
        QCOMPARE(chooser->target(), weblog->txtWeblog);
    }

    void eitherWeblogExitEnablesTheMainWindow_data()
    {
        QTest::addColumn<QString>("exitButton");
        QTest::newRow("Command1") << "Command1";
        QTest::newRow("cmdExit") << "cmdExit";
    }
    void eitherWeblogExitEnablesTheMainWindow()
    {
        QFETCH(QString, exitButton);
        TestProgram program;
        frmMain *main = program.startToMain();
        QVERIFY(main);
        main->mnuWeblogImport->trigger();
        QVERIFY(!main->isEnabled());

        program.windows->weblogImport()->findChild<QPushButton *>(exitButton)->click();

        QVERIFY(main->isEnabled());
        QVERIFY(main->isVisible());
        QVERIFY(!program.windows->isWeblogImportLoaded());
    }

    // ---------------------------------------------------------------------------------
    // GPS radar, comparison charts, auroral oval

    void gpsRadarHidesTheMainWindowUntilItsExit()
    {
        TestProgram program;
        program.ports = {QStringLiteral("ttyUSB0")};
        frmMain *main = program.startToMain();
        QVERIFY(main);
        main->show();
        QVERIFY(main->mnuDynamic->isEnabled());

        main->mnuDynamic->trigger();
        QVERIFY(!main->isVisible());
        frmGPSRadar *radar = program.windows->gpsRadar();
        QVERIFY(radar->isVisible());

        radar->close();
        QVERIFY(main->isVisible());
        QVERIFY(main->isEnabled());
        QVERIFY(!program.windows->isGPSRadarLoaded());
    }

    void chartAndAuroralOvalWindowsHideTheMainWindowEachTimeTheyLoad_data()
    {
        QTest::addColumn<bool>("charts");
        QTest::newRow("comparison charts") << true;
        QTest::newRow("auroral oval") << false;
    }
    void chartAndAuroralOvalWindowsHideTheMainWindowEachTimeTheyLoad()
    {
        QFETCH(bool, charts);
        TestProgram program;
        frmMain *main = program.startToMain();
        QVERIFY(main);
        main->show();
        QAction *item = charts ? main->mnuComparison : main->mnuNAO;
        QVERIFY(item->isEnabled());

        for (int round = 0; round < 2; ++round) {
            item->trigger();
            QVERIFY(!main->isVisible());
            if (charts)
                program.windows->beaconsPerBearing()->cmdExit->click();
            else
                program.windows->auroralOval()->cmdClose->click();
            QVERIFY(main->isVisible());
            QVERIFY(charts ? !program.windows->isBeaconsPerBearingLoaded()
                           : !program.windows->isAuroralOvalLoaded());
        }
    }
};

QTEST_MAIN(NeighboursTest)
#include "tst_neighbours.moc"
