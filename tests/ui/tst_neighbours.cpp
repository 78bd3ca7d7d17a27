// The beacon editor, and the windows of the tools, report and weblog menus: what they
// read and store, and how each hands control back to the main window.

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "Clock.h"
#include "Text.h"
#include "UiTestSupport.h"
#include "editor/frmName.h"
#include "logbook/frmReceptionComments.h"
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

// Three beacons in frequency order, as a sorted database holds them.
QList<Beacon> threeBeacons()
{
    return {beacon("AAA", "200"), beacon("ABC", "300", 5), beacon("XYZ", "400")};
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

// The ident typed in small letters: it is stored in capitals, as the look-up finds it.
void fillNewBeacon(frmName *editor)
{
    editor->txtIdentIn->clear();
    QTest::keyClicks(editor->txtIdentIn, "new");
    editor->txtCountryIn->setText("Canada");
    editor->txtStateIn->setText("Ontario");
    editor->txtLocationIn->setText("Lake Town");
    editor->txtFrequencyIn->setText("350");
    editor->txtClassIn->setText("NDB");
    editor->txtPowerIn->setText("50");
    editor->txtLatitudeIn->setText("N46000000");
    editor->txtLongitudeIn->setText("W080000000");
    editor->txtCycleIn->setText("10");
    editor->txtUSBIn->setText("1020");
    editor->txtLSBIn->clear();
    editor->chkDAID->setChecked(true);
    editor->txtCommentsIn->setText("first note");
}

const QDateTime kMarch2026(QDate(2026, 3, 15), QTime(12, 0));

ReportView *reportView(TestProgram &program, bool session)
{
    if (session)
        return program.windows->cleReportView();
    return program.windows->listeningReportView();
}

// The visible top-level window of that name.
QWidget *shownWindow(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

QPushButton *button(QWidget *window, const char *name)
{
    return window->findChild<QPushButton *>(QLatin1String(name));
}

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
        frmMain *main = program.startWith(beacons);
        QVERIFY(main);
        QVERIFY(main->cmdUpdate->isEnabled());

        bool modal = false;
        bool newRecord = false;
        qint64 number = 0;
        QString ident = "not read";
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
        QCOMPARE(program.state.EditRecordNumber, 2131);
        QVERIFY(program.state.EditorOpenedFromMain);
        QVERIFY(newRecord);
        QCOMPARE(number, 2131);
        QCOMPARE(ident, "");
        QVERIFY(!deleteEnabled);
        QVERIFY(!newRecordEnabled);
        QVERIFY(!program.windows->isEditorLoaded());
        QVERIFY(main->isEnabled());
        QCOMPARE(main->lblkHz->text(), ""); // the empty ident box clears the display
        QCOMPARE(program.storedCount(), 2130);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    // A second Update changes the same beacon after the sort moved it.
    void updateWritesANewRecordSortsAndShowsIt()
    {
        const ScopedClock clock(kMarch2026);
        TestProgram program;
        frmMain *main = program.startWith(threeBeacons());
        QVERIFY(main);
        const QByteArray before = program.read("ndb.dat");
        frmName *editor = openEditor(program, main);
        QVERIFY(editor->isNewRecord());
        fillNewBeacon(editor);

        editor->cmdWrite->click();

        QCOMPARE(program.boxes.summary(), "");
        QCOMPARE(program.storedCount(), 4);
        const BeaconRecord written = program.storedBeacon(3); // 200, 300, 350, 400
        QCOMPARE(written.raw(BeaconField::Ident), ShiftTextUp("NEW") + "    ");
        QCOMPARE(written.trimmedText(BeaconField::CountryCode), "CAN");
        QCOMPARE(written.trimmedText(BeaconField::StateCode), "ON");
        QCOMPARE(written.trimmedText(BeaconField::Location), "Lake Town");
        QCOMPARE(written.raw(BeaconField::Current), ShiftTextUp("202603"));
        QCOMPARE(written.raw(BeaconField::DAID), ShiftTextUp("1"));
        QCOMPARE(written.raw(BeaconField::LSB), "     ");
        QCOMPARE(written.raw(BeaconField::LoggedMask), "0    ");
        QCOMPARE(written.raw(BeaconField::CLEMark), " ");
        QCOMPARE(program.storedBeacon(4).trimmedText(BeaconField::Ident), "XYZ");
        QCOMPARE(program.read("ndb.bak"), before);

        QCOMPARE(main->lblkHz->text(), "NEW  350 kHz");
        QCOMPARE(program.state.CurrentRecordNumber, 3);
        QVERIFY(main->cmdLookUp->isEnabled()); // the integrity check passed
        QVERIFY(!editor->isNewRecord());
        QCOMPARE(editor->recordNumber(), 3);
        QCOMPARE(editor->txtCurrentIn->text(), "202603");
        const QByteArray xyz = program.storedBeacon(4).bytes();

        editor->txtCommentsIn->setText("second note");
        editor->txtFrequencyIn->setText("250");
        editor->cmdWrite->click();

        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(program.storedCount(), 4);
        const BeaconRecord moved = program.storedBeacon(2); // 200, 250, 300, 400
        QCOMPARE(moved.trimmedText(BeaconField::Ident), "NEW");
        QCOMPARE(moved.trimmedText(BeaconField::Comments), "second note");
        QCOMPARE(program.storedBeacon(4).bytes(), xyz);
        QCOMPARE(editor->recordNumber(), 2);
        QCOMPARE(main->lblkHz->text(), "NEW  250 kHz");

        // Leaving looks the beacon up again, and finds it.
        QTest::mouseClick(editor->Command1, Qt::LeftButton);
        QCOMPARE(program.boxes.summary(), "");
        QCOMPARE(main->lblkHz->text(), "NEW  250 kHz");
    }

    void changingABeaconKeepsItsLogMarks()
    {
        TestProgram program;
        // ABC is in the session log.
        QList<Beacon> beacons = threeBeacons();
        program.write("ndb.dat", beaconBytes(beacons[0]) + inSession(beacons[1]) + beaconBytes(beacons[2]));
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, "ABC");
        QCOMPARE(program.state.CurrentRecordNumber, 2);

        frmName *editor = openEditor(program, main);
        QCOMPARE(program.state.NewRecordFlag, 0);
        QCOMPARE(program.state.EditRecordNumber, 2);
        QVERIFY(!editor->isNewRecord());
        QCOMPARE(editor->recordNumber(), 2);
        QCOMPARE(textsOf({editor->txtIdentIn, editor->txtCountryIn, editor->txtStateIn, editor->txtFrequencyIn,
                          editor->txtCurrentIn}),
                 QStringList({"ABC", "Canada", "Ontario", "300", "202601"}));
        QVERIFY(!editor->chkDAID->isChecked());

        editor->txtFrequencyIn->setText("450");
        editor->cmdWrite->click();

        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(program.storedCount(), 3);
        const BeaconRecord changed = program.storedBeacon(3);
        QCOMPARE(changed.trimmedText(BeaconField::Ident), "ABC");
        QCOMPARE(changed.trimmedText(BeaconField::Frequency), "450");
        QCOMPARE(changed.loggedMask(), 5u);
        QVERIFY(changed.inSession());
        QCOMPARE(changed.trimmedText(BeaconField::StateCode), "ON");
        QCOMPARE(program.storedBeacon(2).trimmedText(BeaconField::Ident), "XYZ");
        QCOMPARE(main->lblkHz->text(), "ABC  450 kHz");
    }

    void entriesTheDatabaseCannotHoldAreRefusedBeforeAnythingIsWritten_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString frequency = "Frequency must be a number of kHz greater than 0 and less than 4500.";
        QTest::newRow("frequency 0") << "txtFrequencyIn" << "0" << frequency;
        QTest::newRow("frequency 4500") << "txtFrequencyIn" << "4500" << frequency;
        QTest::newRow("no frequency") << "txtFrequencyIn" << "" << frequency;
        QTest::newRow("byte 254") << "txtCommentsIn" << QString(QChar(0xFE))
                                  << "The Comments entry holds a character that cannot be stored in the database.";
        QTest::newRow("not Windows-1252") << "txtLocationIn" << QString::fromUtf8("\u0141\u00F3d\u017A")
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
        frmMain *main = program.startWith(threeBeacons());
        QVERIFY(main);
        const QByteArray before = program.read("ndb.dat");
        frmName *editor = openEditor(program, main);
        fillNewBeacon(editor);
        editor->findChild<QLineEdit *>(box)->setText(text);

        editor->cmdWrite->click();

        QCOMPARE(program.boxes.summary(), "Error: " + message);
        QCOMPARE(program.read("ndb.dat"), before);
        QVERIFY(!program.exists("ndb.bak"));
        QVERIFY(editor->isNewRecord());
    }

    void aFailedAutomaticBackupStopsTheWrite()
    {
        TestProgram program;
        frmMain *main = program.startWith(threeBeacons());
        QVERIFY(main);
        const QByteArray before = program.read("ndb.dat");
        // A folder where the copy of ndb.dat belongs: the copy cannot replace it.
        program.write("ndb.bak/keep", "x");
        frmName *editor = openEditor(program, main);
        fillNewBeacon(editor);

        editor->cmdWrite->click();

        QVERIFY(program.boxes.onlyError());
        QCOMPARE(program.read("ndb.dat"), before);
    }

    void leavingSearchesAgainForTheEditorsIdentAndFrequency_data()
    {
        QTest::addColumn<bool>("clearIdent");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<qint64>("matches");
        // The ident alone would show the first match, at 338 kHz.
        QTest::addColumn<QString>("way");
        QTest::addColumn<QByteArray>("duplicateAt"); // the frequency of ABC;2
        QTest::newRow("Exit") << false << "ABC  415 kHz" << qint64(2) << "Exit" << QByteArray("415");
        // The title bar and Escape do what "Exit" does.
        QTest::newRow("an empty ident, title bar") << true << "" << qint64(0) << "title bar" << QByteArray("415");
        QTest::newRow("Escape") << false << "ABC  415 kHz" << qint64(2) << "Escape" << QByteArray("415");
        // Ident and frequency are the first match's too: the editor's own record is shown.
        QTest::newRow("Exit, a duplicate of the same frequency")
            << false << "ABC  338 kHz" << qint64(2) << "Exit" << QByteArray("338");
        // GL in Canada at 3, while another copy of the program sorts it ahead of its
        // namesake in Indonesia: the editor's beacon is shown where it stands.
        QTest::newRow("Exit, its namesake moved into its record")
            << false << "GL  201 kHz" << qint64(2) << "Exit" << QByteArray();
    }
    void leavingSearchesAgainForTheEditorsIdentAndFrequency()
    {
        QFETCH(bool, clearIdent);
        QFETCH(QString, shown);
        QFETCH(qint64, matches);
        QFETCH(QString, way);
        QFETCH(QByteArray, duplicateAt);
        const bool namesakes = duplicateAt.isEmpty();
        TestProgram program;
        const Beacon first = namesakes ? galela() : beacon("ABC");
        const Beacon third = namesakes ? laGrandeRiviere() : beacon("ABC;2", duplicateAt);
        frmMain *main = program.startShowing({first, beacon("DEF", "290"), third}, QString::fromLatin1(first.ident));
        QVERIFY(main);
        main->scrBeaconNumber->setValue(2);
        QCOMPARE(program.state.CurrentRecordNumber, 3);
        frmName *editor = openEditor(program, main);
        QCOMPARE(editor->txtIdentIn->text(), QString::fromLatin1(third.ident));
        if (clearIdent)
            editor->txtIdentIn->clear();
        if (namesakes)
            program.writeBeacons({third, beacon("DEF", "290"), first});

        if (way == "Escape")
            pressEscape(editor);
        else
            closeWindow(editor, editor->Command1, way == "title bar");

        QCOMPARE(main->lblkHz->text(), shown);
        QCOMPARE(main->txtCountry->text(), matches ? "Canada" : "");
        QCOMPARE(program.state.SearchMatchCount, matches);
        QCOMPARE(main->scrBeaconNumber->isHidden(), matches == 0);
        if (matches)
            QCOMPARE(program.state.CurrentRecordNumber, namesakes ? 1 : 3);
        QVERIFY(!program.windows->isEditorLoaded());
        QVERIFY(main->isEnabled());
        QCOMPARE(program.storedCount(), 3);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void theStateIsNamedByTheBeaconsCountryAndAnUnchangedSaveKeepsItsCode_data()
    {
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<QByteArray>("country");
        QTest::addColumn<QByteArray>("state");
        QTest::addColumn<QString>("name");
        QTest::newRow("PLO, New South Wales") << QByteArray("PLO") << QByteArray("AUS") << QByteArray("NS")
                                              << "New South Wales";
        QTest::newRow("CKL, Western Australia") << QByteArray("CKL") << QByteArray("AUS") << QByteArray("WA")
                                                << "Western Australia";
        QTest::newRow("Nova Scotia") << QByteArray("YZX") << QByteArray("CAN") << QByteArray("NS") << "Nova Scotia";
        QTest::newRow("Washington") << QByteArray("BFI") << QByteArray("USA") << QByteArray("WA") << "Washington";
    }
    void theStateIsNamedByTheBeaconsCountryAndAnUnchangedSaveKeepsItsCode()
    {
        QFETCH(QByteArray, ident);
        QFETCH(QByteArray, country);
        QFETCH(QByteArray, state);
        QFETCH(QString, name);
        Beacon b = beacon(ident, "400");
        b.country = country;
        b.state = state;
        TestProgram program;
        frmMain *main = program.startShowing({beacon("AAA", "200"), b}, QString::fromLatin1(ident));
        QVERIFY(main);
        QVERIFY2(main->txtLocation->text().endsWith(", " + name), qPrintable(main->txtLocation->text()));
        frmName *editor = openEditor(program, main);

        QCOMPARE(editor->txtStateIn->text(), name);

        QTest::mouseClick(editor->cmdWrite, Qt::LeftButton);

        QCOMPARE(program.boxes.summary(), "");
        QCOMPARE(program.storedBeacon(2).trimmedText(BeaconField::Ident), ident);
        QCOMPARE(program.storedBeacon(2).trimmedText(BeaconField::CountryCode), country);
        QCOMPARE(program.storedBeacon(2).trimmedText(BeaconField::StateCode), state);
        QVERIFY(main->txtLocation->text().endsWith(", " + name));
    }

    void stateListFollowsTheCountryBox()
    {
        TestProgram program;
        frmMain *main = program.startShowing(threeBeacons());
        QVERIFY(main);
        frmName *editor = openEditor(program, main);
        QVERIFY(editor->lstStateIn->count() > 0);
        QVERIFY(!editor->lstStateIn->findItems("Ontario", Qt::MatchExactly).isEmpty());

        editor->txtCountryIn->setFocus();
        editor->txtCountryIn->setText("usa");
        editor->txtCountryIn_LostFocus();

        QCOMPARE(editor->txtCountryIn->text(), "USA");
        QVERIFY(editor->lstStateIn->findItems("Ontario", Qt::MatchExactly).isEmpty());
        QVERIFY(!editor->lstStateIn->findItems("Maine", Qt::MatchExactly).isEmpty());
        QCOMPARE(editor->txtStateIn->text(), "Ontario");

        clickRow(editor->lstStateIn, 0);
        QCOMPARE(editor->txtStateIn->text(), editor->lstStateIn->item(0)->text());
        // The arrow keys choose as a click does.
        QTest::keyClick(editor->lstStateIn, Qt::Key_Down);
        QCOMPARE(editor->txtStateIn->text(), editor->lstStateIn->item(1)->text());
    }

    void aRecordThatCannotBeReadCannotBeOverwritten()
    {
        TestProgram program;
        QVERIFY(program.startWith(threeBeacons()));
        program.state.NewRecordFlag = 0;
        program.state.EditRecordNumber = 9;
        program.state.EditorOpenedFromMain = true;

        frmName *editor = program.windows->editor();

        QCOMPARE(program.boxes.shown.size(), 1);
        QVERIFY(program.boxes.shown[0].text.startsWith("Error # "));
        QVERIFY(!editor->cmdWrite->isEnabled());
    }

    void sortButtonSortsAndTheEditorFollowsItsBeacon()
    {
        TestProgram program;
        frmMain *main = program.startShowing({beacon("XYZ", "400"), beacon("AAA", "200"), beacon("ABC", "300")},
                                             "XYZ");
        QVERIFY(main);
        frmName *editor = openEditor(program, main);
        QCOMPARE(editor->recordNumber(), 1);

        editor->cmdSort->click();

        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(program.storedBeacon(1).trimmedText(BeaconField::Ident), "AAA");
        QCOMPARE(program.storedBeacon(3).trimmedText(BeaconField::Ident), "XYZ");
        QCOMPARE(editor->recordNumber(), 3);
        QVERIFY(program.exists("ndb.bak"));
    }

    // ---------------------------------------------------------------------------------
    // Listening and session reports

    void createReportStoresTheLocationAndTheOptionsWindowReadsItBack()
    {
        TestProgram program;
        frmMain *main = program.startWith(threeBeacons());
        QVERIFY(main);
        main->cmdListeningReports->trigger();
        frmListeningReports *options = program.windows->listeningReports();
        options->cmbListeningLocation->setCurrentIndex(3);

        options->cmdCreate->click();

        QCOMPARE(program.stored(kProg, "ListeningReportDefaultLocation"), " 3");
        QVERIFY(program.windows->isListeningReportViewLoaded());
        QVERIFY(program.windows->listeningReportView()->isVisible());

        options->cmdExit->click();
        QVERIFY(!program.windows->isListeningReportViewLoaded());
        QVERIFY(main->isEnabled());
        main->cmdListeningReports->trigger();
        QCOMPARE(options->cmbListeningLocation->currentIndex(), 3);
    }

    void reportViewsReadAndStoreTheirSortOrder_data()
    {
        QTest::addColumn<bool>("session");
        QTest::addColumn<QByteArray>("storedBy");
        QTest::addColumn<QByteArray>("storedOrder");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<int>("rowChosen");
        QTest::newRow("listening") << false << QByteArray(" 2") << QByteArray("Descending") << 2 << true << 4;
        QTest::newRow("session, never saved") << true << QByteArray() << QByteArray() << 0 << false << 1;
        QTest::newRow("session, ident, descending") << true << QByteArray(" 3") << QByteArray("Descending") << 3
                                                    << true << 1;
        QTest::newRow("session, anything else is ascending") << true << QByteArray("1") << QByteArray("Sideways") << 1
                                                             << false << 1;
    }
    void reportViewsReadAndStoreTheirSortOrder()
    {
        QFETCH(bool, session);
        QFETCH(QByteArray, storedBy);
        QFETCH(QByteArray, storedOrder);
        QFETCH(int, row);
        QFETCH(bool, descending);
        QFETCH(int, rowChosen);
        const char *byName = session ? "CLESortBy" : "ListeningReportSortBy";
        const QByteArray orderName = QByteArray(byName) + "Order";
        TestProgram program;
        program.presetSetting(kProg, "String", byName, storedBy);
        program.presetSetting(kProg, "String", orderName, storedOrder);
        QVERIFY(program.startToMain());

        ReportView *view = reportView(program, session);
        QCOMPARE(view->lstSortBy->currentRow(), row);
        if (!session)
            QCOMPARE(view->lstSortBy->currentItem()->text(), "Frequency");
        QCOMPARE(view->optDescending->isChecked(), descending);
        QCOMPARE(view->optAscending->isChecked(), !descending);

        view->lstSortBy->setCurrentRow(rowChosen);
        (descending ? view->optAscending : view->optDescending)->setChecked(true);
        button(view, session ? "cmdSort" : "Command1")->click();
        QCOMPARE(program.stored(kProg, byName), " " + QByteArray::number(rowChosen));
        QCOMPARE(program.stored(kProg, orderName.constData()), descending ? "Ascending" : "Descending");
    }

    void reportViewsStoreAndPresetTheFileNameOfEachKind_data() { bothWays("session", "listening", "session"); }
    void reportViewsStoreAndPresetTheFileNameOfEachKind()
    {
        QFETCH(bool, session);
        const char *textName = session ? "CLEReportText" : "ListeningReportText";
        const char *excelName = session ? "CLEReportExcel" : "ListeningReportExcel";
        TestProgram program;
        program.presetSetting(kFilePath, "String", excelName, "/data/cle.csv");
        QVERIFY(program.startWith(threeBeacons()));
        ReportView *view = reportView(program, session);
        QPushButton *saveAs = button(view, session ? "cmdSaveAs" : "cmdExcel");
        QPushButton *save = button(view, session ? "cmdSave" : "cmdOK");

        view->optExcel->setChecked(true);
        saveAs->click();
        QCOMPARE(view->txtFileName->text(), "/data/cle.csv");
        view->optText->setChecked(true);
        view->txtFileName->setText("/data/cle.txt");
        save->click();

        QCOMPARE(program.stored(kFilePath, textName), "/data/cle.txt");
        QCOMPARE(program.stored(kFilePath, excelName), "/data/cle.csv");
        // Nothing is saved, and the user is told so.
        QCOMPARE(program.boxes.shown.size(), 1);
        QVERIFY(program.boxes.shown[0].text.startsWith("No report file was written"));

        view->optExcel->setChecked(true);
        view->txtFileName->setText("/data/week.csv");
        save->click();
        QCOMPARE(program.stored(kFilePath, excelName), "/data/week.csv");
        QCOMPARE(program.boxes.shown.size(), 2);
        view->txtFileName->clear();
        view->optText->setChecked(true);
        saveAs->click();
        QCOMPARE(view->txtFileName->text(), "/data/cle.txt");
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
        QVERIFY(program.startToMain());
        ReportView *view = reportView(program, session);
        (text ? view->optText : view->optExcel)->setChecked(true);

        view->Command3->click();

        QCOMPARE(program.state.FileOperationMode, mode);
        QVERIFY(program.windows->isFileOperationLoaded());
        QVERIFY(program.windows->fileOperation()->isVisible());
        QCOMPARE(program.windows->fileOperation()->target(), view->txtFileName);
    }

    void sessionReportOptionsAreReadAndStoredAsTwentyOneCharacters()
    {
        TestProgram program;
        program.presetSetting(kProg, "String", "CLEReportSettings", "101000000000101900530");
        QVERIFY(program.startToMain());
        frmCLEReport *options = program.windows->cleReport();
        QCOMPARE(options->chkOption.size(), 13);
        QVERIFY(options->chkOption[0]->isChecked());
        QVERIFY(!options->chkOption[1]->isChecked());
        QVERIFY(options->chkOption[2]->isChecked());
        QVERIFY(options->chkOption[12]->isChecked());
        QCOMPARE(options->txtLowerKHz->text(), "190");
        QCOMPARE(options->txtUpperKHz->text(), "530");

        options->chkOption[1]->setChecked(true);
        options->chkOption[12]->setChecked(false);
        // Digits only, whatever the language setting calls a thousands separator.
        for (const char *typed : {"1.750", "1,750"}) {
            options->txtUpperKHz->clear();
            QTest::keyClicks(options->txtUpperKHz, typed);
            QCOMPARE(options->txtUpperKHz->text(), "1750");
        }
        options->Command3->click();

        QCOMPARE(program.stored(kProg, "CLEReportSettings"), "111000000000001901750");
        QVERIFY(program.windows->isCLEReportViewLoaded());
        QVERIFY(program.windows->cleReportView()->isVisible());
    }

    void sessionReportOptionsStartFromDefaultsWhenTheSettingIsNotOfItsForm()
    {
        TestProgram program;
        program.presetSetting(kProg, "String", "CLEReportSettings", "10100");
        QVERIFY(program.startToMain());
        frmCLEReport *options = program.windows->cleReport();
        for (QCheckBox *box : options->chkOption)
            QVERIFY(box->isChecked());
        QCOMPARE(options->txtLowerKHz->text(), "0");
        QCOMPARE(options->txtUpperKHz->text(), "9999");
    }

    // ---------------------------------------------------------------------------------
    // Weblog

    void weblogWindowListsTheLocationsAndStoresItsFolder()
    {
        TestProgram program;
        program.presetSetting(RegistryKeys::ListeningLocations, "String", "Location(2)", "Cabin");
        program.presetRemoved(RegistryKeys::ListeningLocations, "Location(5)");
        frmMain *main = program.startToMain();
        QVERIFY(main);

        main->mnuWeblogImport->trigger();

        frmWeblogImport *weblog = program.windows->weblogImport();
        QVERIFY(weblog->isVisible());
        QVERIFY(!main->isEnabled());
        QCOMPARE(weblog->windowTitle(), "NDB Weblog Import/Export");
        QCOMPARE(weblog->cmbListeningLocation->count(), 16);
        QCOMPARE(weblog->cmbListeningLocation->itemText(0), "Location 1");
        QCOMPARE(weblog->cmbListeningLocation->itemText(2), "Cabin");
        QCOMPARE(weblog->cmbListeningLocation->itemText(5), "Empty");
        QCOMPARE(weblog->txtWeblog->text(), fromWindows1252(program.state.WeblogFolder));
        QVERIFY(!weblog->cmdImportToQERN->isEnabled());
        // Exporting is no part of the program: no control offers it.
        for (QAbstractButton *button : weblog->findChildren<QAbstractButton *>())
            QVERIFY2(!button->text().contains(QLatin1String("Export")), qPrintable(button->text()));

        weblog->txtWeblog->setText("/home/me/weblog/");
        weblog->cmdSavePrefs->click();
        QCOMPARE(program.stored(kFilePath, "WeblogPath"), "/home/me/weblog/");

        // The folder button opens the path chooser in its weblog mode.
        weblog->cmdWeblogImport->click();
        QCOMPARE(program.state.FileOperationMode, 3);
        QVERIFY(program.windows->fileOperation()->isVisible());
        QCOMPARE(program.windows->fileOperation()->target(), weblog->txtWeblog);
    }

    void eitherWeblogExitEnablesTheMainWindow_data()
    {
        closingRows();
    }
    void eitherWeblogExitEnablesTheMainWindow()
    {
        QFETCH(bool, byTitleBar);
        TestProgram program;
        frmMain *main = program.startToMain();
        QVERIFY(main);
        main->mnuWeblogImport->trigger();
        QVERIFY(!main->isEnabled());

        frmWeblogImport *weblog = program.windows->weblogImport();
        closeWindow(weblog, weblog->Command1, byTitleBar);

        QVERIFY(main->isEnabled());
        QVERIFY(main->isVisible());
        QVERIFY(!program.windows->isWeblogImportLoaded());
    }

    // ---------------------------------------------------------------------------------
    // GPS radar, comparison charts, auroral oval

    void theseWindowsHideTheMainWindowEachTimeTheyOpen_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("exitButton"); // empty: the title bar
        QTest::newRow("GPS radar") << "mnuDynamic" << "frmGPSRadar" << "";
        QTest::newRow("comparison charts") << "mnuComparison" << "frmBeaconsPerBearing" << "cmdExit";
        QTest::newRow("auroral oval") << "mnuNAO" << "frmAuroralOval" << "cmdClose";
    }
    void theseWindowsHideTheMainWindowEachTimeTheyOpen()
    {
        QFETCH(QString, item);
        QFETCH(QString, window);
        QFETCH(QString, exitButton);
        TestProgram program;
        program.ports = {"ttyUSB0"}; // the GPS radar needs a port
        frmMain *main = program.startToMain();
        QVERIFY(main);
        main->show();
        QAction *action = main->findChild<QAction *>(item);
        QVERIFY(action && action->isEnabled());

        for (int round = 0; round < 2; ++round) {
            action->trigger();
            QVERIFY(!main->isVisible());
            const QPointer<QWidget> opened = shownWindow(window);
            QVERIFY(opened);
            closeWindow(opened, opened->findChild<QPushButton *>(exitButton), exitButton.isEmpty());
            QVERIFY(main->isVisible());
            QVERIFY(main->isEnabled());
            deleteUnloadedWindows();
            QVERIFY2(opened.isNull(), "unloaded");
        }
    }
};

QTEST_MAIN(NeighboursTest)
#include "tst_neighbours.moc"
