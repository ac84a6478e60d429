// The main window under faults from outside: a full disk, a data file held by another writer, a row deleted
// by another program, damaged, foreign and old files, odd input. For each: the program's message, every row
// stored before still there, what the user typed still on screen.
#include "CimzettForm.h"
#include "DataGrid.h"
#include "Database.h"
#include "FaultSupport.h"
#include "MainWindowTest.h"
#include "PageLayout.h"
#include "QtPrinter.h"
#include "StoreError.h"
#include "View.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kCertificate = QStringLiteral("MunkaNyomTetelFormX");
const QString kJobsSource = u("select * from Laporak order by Dátum, MunkalapSzáma");

void addJob(const QDate& d, const char* name, const char* number, Fields more = {}) {
    more[u("Dátum")] = Value::date(d);
    more[u("CégNeve")] = Value::text(u(name));
    more[u("MunkalapSzáma")] = Value::text(u(number));
    more[u("ElvégzettMunka")] = Value::text(u("Régi munka"));
    more[u("Idő")] = Value::time(QTime(9, 15, 30));
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"), more);
}

Value storedJobField(int row, const char* field) {
    return storedValue(QStringLiteral("lapora.mdb"), kJobsSource, row, u(field));
}

QStringList logActions() {
    return loggedActions();
}

class FaultTest : public MainWindowTest {
protected:
    void expectMissingData() {
        prompter.expectMessage(u("FIGYELEM! NINCS ADATBÁZIS!"),
                               u("SÚLYOS HIBA! Nem találhatók az adatbázisok!"), Icon::Error, Buttons::Ok,
                               Answer::Ok);
    }
    QLineEdit* text(int n) { return w->findChild<QLineEdit*>(QStringLiteral("Text%1").arg(n)); }
};

// ---- the table of cases: every write of the window under a full disk and under another writer ------------

enum class Fault { DiskFull, OtherWriter };
enum class Action { Save, NewRow, Delete, Move, Exit, Print };

struct FaultCase {
    const char* name;
    Fault fault;
    const char* file; // the data file another writer holds (the disk is full for every file)
    Action action;
    bool typed;             // the user has typed into the job sheet first
    const QString* message; // the refusal's text; nullptr: no message
    bool jobsChange;        // the job sheets are written all the same (only the log entry failed)
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

const FaultCase kFaultCases[] = {
    {"SaveDiskFull", Fault::DiskFull, "", Action::Save, true, &msg::kIrasHiba, false},
    {"SaveLocked", Fault::OtherWriter, "lapora.mdb", Action::Save, true, &msg::kIrasHiba, false},
    {"NewRowDiskFull", Fault::DiskFull, "", Action::NewRow, false, &msg::kUjSorHiba, false},
    {"NewRowLocked", Fault::OtherWriter, "lapora.mdb", Action::NewRow, false, &msg::kUjSorHiba, false},
    {"NewRowWithEditsLocked", Fault::OtherWriter, "lapora.mdb", Action::NewRow, true, &msg::kUjSorHiba,
     false},
    {"DeleteDiskFull", Fault::DiskFull, "", Action::Delete, true, &msg::kTorlesHiba, false},
    {"DeleteLocked", Fault::OtherWriter, "lapora.mdb", Action::Delete, true, &msg::kTorlesHiba, false},
    {"MoveDiskFull", Fault::DiskFull, "", Action::Move, true, &msg::kLepesHiba, false},
    {"MoveLocked", Fault::OtherWriter, "lapora.mdb", Action::Move, true, &msg::kLepesHiba, false},
    {"ExitDiskFull", Fault::DiskFull, "", Action::Exit, true, &msg::kIrasHiba, false},
    {"ExitLocked", Fault::OtherWriter, "lapora.mdb", Action::Exit, true, &msg::kIrasHiba, false},
    // The log entry's failure is ignored: the job sheet is saved, the log keeps what it had.
    {"LogEntryLocked", Fault::OtherWriter, "Regiszt.lpb", Action::Save, true, nullptr, true},
    {"PrintDiskFull", Fault::DiskFull, "", Action::Print, false, &msg::kNyomtatoNincsKesz, false},
    {"PrintLocked", Fault::OtherWriter, "lapora.mdb", Action::Print, true, &msg::kIrasHiba, false},
};

class FaultTable : public FaultTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTable, MessageRowsKeptTypedTextStays) {
    const FaultCase& c = GetParam();
    addJob(QDate(2013, 1, 1), "Alfa", "1");
    addJob(QDate(2013, 1, 2), "Béta", "2");
    addRow(QStringLiteral("lapora.mdb"), u("Címzett"), {{u("CimNev"), Value::text(u("Alfa"))}});
    addRow(QStringLiteral("Regiszt.lpb"), u("Regisztrálás"), {{u("Akció"), Value::text(u("Régi"))}});
    QtPrinter printer(wf.file(u("Nyomtatás")));
    printer.setForcePdf(true);
    session.printer = &printer;
    start();
    for (View* v : {&w->jobs(), &w->logView()})
        lapora::test::shortBusyWait(v->database()->handle());

    const QString typed = u("Új munka leírása");
    if (c.typed)
        text(4)->setText(typed);
    std::map<QString, FileState> before;
    for (const char* f : {"lapora.mdb", "Parameter.lpb", "Regiszt.lpb"})
        before[QString::fromLatin1(f)] = fileState(wf.file(QString::fromLatin1(f)));

    if (c.action == Action::Delete)
        prompter.expectMessage(msg::kFigyelemTorles, u("Biztosan véglegesen törli az adatsort (Delete)?"),
                               Icon::Question, Buttons::YesNo, Answer::Yes);
    if (c.message)
        expectRefused(*c.message);
    bool pageShown = false;
    modal.on(kCertificate, [&](QWidget* window) {
        pageShown = true;
        auto* page = qobject_cast<PageLayoutWindow*>(window);
        ASSERT_NE(page, nullptr);
        page->print();
        page->next();
    });
    {
        std::optional<DiskFull> full;
        std::optional<OtherWriter> other;
        if (c.fault == Fault::DiskFull)
            full.emplace();
        else
            other.emplace(wf.file(QString::fromLatin1(c.file)), OtherWriter::Lock::Immediate);
        switch (c.action) {
        case Action::Save:
            w->save();
            break;
        case Action::NewRow:
            w->newJobSheet();
            break;
        case Action::Delete:
            w->deleteJobSheet();
            break;
        case Action::Move:
            w->findChild<DataGrid*>(QStringLiteral("DBGrid2"))->selectRow(0);
            break;
        case Action::Exit:
            w->findChild<QAction*>(QStringLiteral("Kilepes"))->trigger();
            break;
        case Action::Print:
            w->printCurrentSheet();
            break;
        }
    }
    EXPECT_TRUE(prompter.done());
    EXPECT_EQ(prompter.asked.size(), (c.message ? 2 : 1) + (c.action == Action::Delete ? 1 : 0))
        << prompter.asked.join(QLatin1Char('\n')).toStdString(); // the message comes once

    // Every row stored before is still there, and the files are sound.
    for (const auto& [file, was] : before) {
        SCOPED_TRACE(file.toStdString());
        const FileState now = fileState(wf.file(file));
        EXPECT_TRUE(now.sound);
        if (file == QLatin1String("lapora.mdb") && c.jobsChange) {
            EXPECT_EQ(now.count(QStringLiteral("Laporak")), was.count(QStringLiteral("Laporak")));
            EXPECT_EQ(storedJobField(1, "ElvégzettMunka").asText(), typed);
        } else {
            EXPECT_EQ(now.rows, was.rows);
        }
    }
    EXPECT_EQ(logActions(), QStringList{u("Régi")});
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(w->jobs().isOpen());
    EXPECT_EQ(w->jobs().position(), 1); // still on the row the user was editing
    if (c.typed) {
        EXPECT_EQ(text(4)->text(), typed);
    }
    if (c.action == Action::Print) {
        EXPECT_EQ(pageShown, c.fault == Fault::DiskFull);
        // No partial PDF stays behind.
        EXPECT_TRUE(QDir(wf.file(u("Nyomtatás"))).entryList(QDir::Files).isEmpty());
    }

    // With the fault gone, the same data go in: nothing was lost.
    if (c.typed && !c.jobsChange) {
        w->save();
        EXPECT_EQ(storedJobField(1, "ElvégzettMunka").asText(), typed);
        EXPECT_EQ(logActions(), (QStringList{u("Régi"), u("Adatmentés")}));
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultTable, ::testing::ValuesIn(kFaultCases),
                         [](const ::testing::TestParamInfo<FaultCase>& i) {
                             return std::string(i.param.name);
                         });

// ---- the same table on the company register
// ----------------------------------------------------------------

enum class RegisterAction { Commit, NewCompany, Delete, Exit };

struct RegisterCase {
    const char* name;
    Fault fault;
    RegisterAction action;
    const QString* message;
};

void PrintTo(const RegisterCase& c, std::ostream* os) {
    *os << c.name;
}

const RegisterCase kRegisterCases[] = {
    {"CommitDiskFull", Fault::DiskFull, RegisterAction::Commit, &msg::kIrasHiba},
    {"CommitLocked", Fault::OtherWriter, RegisterAction::Commit, &msg::kIrasHiba},
    {"NewCompanyDiskFull", Fault::DiskFull, RegisterAction::NewCompany, &msg::kUjSorHiba},
    {"NewCompanyLocked", Fault::OtherWriter, RegisterAction::NewCompany, &msg::kUjSorHiba},
    {"DeleteDiskFull", Fault::DiskFull, RegisterAction::Delete, &msg::kTorlesHiba},
    {"DeleteLocked", Fault::OtherWriter, RegisterAction::Delete, &msg::kTorlesHiba},
    {"ExitDiskFull", Fault::DiskFull, RegisterAction::Exit, &msg::kIrasHiba},
    {"ExitLocked", Fault::OtherWriter, RegisterAction::Exit, &msg::kIrasHiba},
};

class RegisterFaultTable : public FaultTest, public ::testing::WithParamInterface<RegisterCase> {};

TEST_P(RegisterFaultTable, MessageRowsKeptTypedTextStays) {
    const RegisterCase& c = GetParam();
    for (const char* name : {"Alfa", "Béta"})
        addRow(QStringLiteral("lapora.mdb"), u("Címzett"),
               {{u("CimNev"), Value::text(u(name))}, {u("recordID"), Value::number(name[0] == 'A' ? 1 : 2)}});
    addRow(QStringLiteral("Regiszt.lpb"), u("Regisztrálás"), {{u("Akció"), Value::text(u("Régi"))}});
    auto reg = std::make_unique<CimzettForm>(session);
    reg->activate();
    for (View* v : {&reg->companies(), &reg->logView()})
        lapora::test::shortBusyWait(v->database()->handle());
    reg->companies().moveLast();
    QLineEdit* name = reg->findChild<QLineEdit*>(QStringLiteral("Text2"));
    ASSERT_NE(name, nullptr);
    const QString typed = u("Béta és Társa Kft.");
    name->setText(typed);
    std::map<QString, FileState> before;
    for (const char* f : {"lapora.mdb", "Regiszt.lpb"})
        before[QString::fromLatin1(f)] = fileState(wf.file(QString::fromLatin1(f)));

    if (c.action == RegisterAction::Delete)
        prompter.expectMessage(u("FIGYELEM! Címzett vagy vevő visszavonhatatlan törlése!"),
                               u("Biztosan TÖRLI a kijelölt adatot?"), Icon::Question, Buttons::YesNo,
                               Answer::Yes);
    expectRefused(*c.message);
    {
        std::optional<DiskFull> full;
        std::optional<OtherWriter> other;
        if (c.fault == Fault::DiskFull)
            full.emplace();
        else
            other.emplace(wf.file(QStringLiteral("lapora.mdb")), OtherWriter::Lock::Immediate);
        switch (c.action) {
        case RegisterAction::Commit:
            reg->commit();
            break;
        case RegisterAction::NewCompany:
            reg->newCompany();
            break;
        case RegisterAction::Delete:
            reg->deleteCompany();
            break;
        case RegisterAction::Exit:
            reg->saveAndExit();
            break;
        }
    }
    EXPECT_TRUE(prompter.done());
    EXPECT_EQ(prompter.asked.size(), c.action == RegisterAction::Delete ? 2 : 1); // the message comes once
    for (const auto& [file, was] : before) {
        SCOPED_TRACE(file.toStdString());
        const FileState now = fileState(wf.file(file));
        EXPECT_TRUE(now.sound);
        EXPECT_EQ(now.rows, was.rows);
    }
    EXPECT_TRUE(reg->companies().isOpen());
    EXPECT_TRUE(reg->quitFlag());
    EXPECT_EQ(reg->companies().position(), 1);
    EXPECT_EQ(name->text(), typed);
    // With the fault gone the same text goes in.
    reg->commit();
    View stored(Database::open(QStringLiteral("lapora.mdb")), u("Címzett"));
    stored.moveLast();
    EXPECT_EQ(stored.field(u("CimNev")).asText(), typed);
}

INSTANTIATE_TEST_SUITE_P(Faults, RegisterFaultTable, ::testing::ValuesIn(kRegisterCases),
                         [](const ::testing::TestParamInfo<RegisterCase>& i) {
                             return std::string(i.param.name);
                         });

// ---- exit keeps what was typed
// --------------------------------------------------------------------------------

TEST_F(FaultTest, ARefusedExitStaysAndTheNextExitEnds) {
    addJob(QDate(2013, 1, 1), "Alfa", "1");
    start();
    lapora::test::shortBusyWait(w->jobs().database()->handle());
    text(4)->setText(u("Gépelt szöveg"));
    {
        OtherWriter other(wf.file(QStringLiteral("lapora.mdb")), OtherWriter::Lock::Immediate);
        expectRefused(msg::kIrasHiba);
        w->close(); // by the frame
        EXPECT_EQ(ended, 0);
        EXPECT_TRUE(w->quitFlag()); // the next way out runs the exit routine again
        EXPECT_TRUE(w->jobs().isOpen());
        EXPECT_EQ(text(4)->text(), u("Gépelt szöveg"));
    }
    prompter.expectMessage(msg::kFigyelem, u("Ellenőrzi az összes adatot?"), Icon::Question, Buttons::YesNo,
                           Answer::No);
    w->exitRoutine();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(storedJobField(0, "ElvégzettMunka").asText(), u("Gépelt szöveg"));
}

// ---- a row deleted by another writer ---------------------------------------------------------------------

TEST_F(FaultTest, SavingARowAnotherWriterDeletedIsAFailedSave) {
    addJob(QDate(2013, 1, 1), "Alfa", "1");
    addJob(QDate(2013, 1, 2), "Béta", "2");
    start();
    auto other = Database::open(QStringLiteral("lapora.mdb"));
    other->executeRaw(u("DELETE FROM Laporak WHERE CégNeve = 'Béta'"));
    text(4)->setText(u("Elveszne"));
    expectRefused(msg::kIrasHiba);
    w->save();
    EXPECT_EQ(text(4)->text(), u("Elveszne")); // the fields do not go blank
    EXPECT_EQ(text(1)->text(), u("Béta"));
    EXPECT_TRUE(logActions().isEmpty()); // not logged as saved
    EXPECT_EQ(fileState(wf.file(QStringLiteral("lapora.mdb"))).count(QStringLiteral("Laporak")), 1);
}

// ---- a time that is no time ------------------------------------------------------------------------------

TEST_F(FaultTest, ABadTimeNeverErasesTheStoredOne) {
    for (const char* typed : {"9999", "2561", "123"}) {
        SCOPED_TRACE(typed);
        WorkFolder folder;
        addJob(kToday, "Alfa", "1");
        start();
        auto* mask = w->findChild<QLineEdit*>(QStringLiteral("MaskEdBox1"));
        mask->clear();
        QTest::keyClicks(mask, QString::fromLatin1(typed));
        const int beeps = prompter.beeps;
        w->save();
        EXPECT_EQ(storedJobField(0, "Idő").asTime(), QTime(9, 15, 30));
        EXPECT_EQ(mask->text(), QStringLiteral("09:15")); // the stored time shows again
        EXPECT_GT(prompter.beeps, beeps);
        w.reset();
    }
}

// ---- the printer on a full disk --------------------------------------------------------------------------

TEST_F(FaultTest, APdfCutShortByAFullDiskIsNoPrint) {
    QtPrinter printer(wf.file(u("Nyomtatás")));
    printer.setForcePdf(true);
    Page page;
    page.twips = QSize(16000, 11000);
    for (int i = 0; i < 40; ++i) {
        PageCell cell;
        cell.name = QStringLiteral("L%1").arg(i);
        cell.twips = QRect(200, 200 + i * 250, 12000, 240);
        cell.family = QStringLiteral("Times New Roman");
        cell.points = 10;
        cell.text = u("Munkalap-teljesítés igazolás, sor %1").arg(i);
        page.cells.push_back(cell);
    }
    QDir().mkpath(wf.file(u("Nyomtatás")));
    for (rlim_t room : {rlim_t(0), rlim_t(4096)}) {
        SCOPED_TRACE(room);
        DiskFull full(room);
        EXPECT_FALSE(printer.printPage(page));
        EXPECT_TRUE(printer.printText(u("Napló sora")));
        EXPECT_FALSE(printer.endDocument());
        EXPECT_TRUE(QDir(wf.file(u("Nyomtatás"))).entryList(QDir::Files).isEmpty());
    }
    // With room the same page prints whole.
    EXPECT_TRUE(printer.printPage(page));
    EXPECT_EQ(QDir(wf.file(u("Nyomtatás"))).entryList(QDir::Files).size(), 1);
}

// ---- files that cannot be used at start-up ---------------------------------------------------------------

// Overwrites the first page of a table's b-tree with junk, as a bad sector would.
void damageTable(const QString& path, const QString& table) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(db,
                           "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_master "
                           "WHERE name = ?1",
                           -1, &st, nullptr),
        SQLITE_OK);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(st, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    const qint64 root = sqlite3_column_int64(st, 0), pageSize = sqlite3_column_int64(st, 1);
    sqlite3_finalize(st);
    sqlite3_close(db);
    ASSERT_GT(root, 1);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek((root - 1) * pageSize);
    f.write(QByteArray(static_cast<int>(pageSize), '\x5a'));
}

TEST_F(FaultTest, AFileWhoseTablesCannotAllBeReadIsNotWrittenInto) {
    for (int i = 0; i < 30; ++i)
        addRow(
            QStringLiteral("lapora.mdb"), u("Címzett"),
            {{u("CimNev"), Value::text(u("Cég %1").arg(i))}, {u("CimCim"), Value::text(QString(30, 'x'))}});
    addJob(kToday, "Alfa", "1");
    damageTable(wf.file(QStringLiteral("lapora.mdb")), u("Címzett"));
    QFile f(wf.file(QStringLiteral("lapora.mdb")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray was = f.readAll();
    f.close();
    make();
    expectMissingData(); // no new-row question: nothing is written into the damaged file
    w->activate();
    EXPECT_EQ(ended, 1);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll() == was);
}

TEST_F(FaultTest, AFifoIsNoDataFile) {
    for (const char* name : {"lapora.mdb", "Parameter.lpb"}) {
        SCOPED_TRACE(name);
        WorkFolder folder;
        const QString path = folder.file(QString::fromLatin1(name));
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        EXPECT_TRUE(Database::resolve(QString::fromLatin1(name)).isEmpty());
        EXPECT_EQ(Database::format(QString::fromLatin1(name)), Database::Format::Missing);
        EXPECT_THROW(Database::open(QString::fromLatin1(name)), StoreError);
        ended = 0;
        make();
        expectMissingData();
        w->activate();
        EXPECT_EQ(ended, 1);
        w.reset();
    }
}

TEST_F(FaultTest, AFileLockedByAnotherProgramAtStartIsSaidToBeInUse) {
    addJob(kToday, "Alfa", "1");
    const FileState was = fileState(wf.file(QStringLiteral("lapora.mdb")));
    {
        OtherWriter other(wf.file(QStringLiteral("lapora.mdb")), OtherWriter::Lock::Exclusive);
        make();
        prompter.expectMessage(msg::kFigyelem, msg::kAdatbazisFoglalt, Icon::Error, Buttons::Ok, Answer::Ok);
        w->activate();
        EXPECT_EQ(ended, 1);
    }
    EXPECT_EQ(fileState(wf.file(QStringLiteral("lapora.mdb"))).rows, was.rows);
}

TEST_F(FaultTest, ALegacyDataFileGetsOneMessageAndStaysUntouched) {
    const QString path = wf.file(QStringLiteral("lapora.mdb"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::copy(lapora::test::testData(QStringLiteral("legacy/lapora.mdb")), path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray was = f.readAll();
    f.close();
    EXPECT_EQ(Database::format(QStringLiteral("LAPORA.MDB")), Database::Format::Jet);
    make();
    prompter.expectMessage(msg::kFigyelem, msg::kRegiAdatfajl.arg(QStringLiteral("lapora.mdb")), Icon::Error,
                           Buttons::Ok, Answer::Ok);
    w->activate();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(prompter.asked.size(), 1);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll() == was);
}

// ---- odd input -------------------------------------------------------------------------------------------

TEST_F(FaultTest, AnExponentIsNoNumberAndAnOutOfRangeGrossIsRefused) {
    addJob(kToday, "Alfa", "1", {{u("BruttóÁr"), Value::number(100)}});
    start();
    for (const char* pasted : {"1e308", "9e99"}) {
        SCOPED_TRACE(pasted);
        text(8)->setText(QString::fromLatin1(pasted));
        text(9)->setText(QStringLiteral("25"));
        w->save();
        EXPECT_EQ(storedJobField(0, "BruttóÁr").asNumber(), 0); // counts 0
        EXPECT_TRUE(storedJobField(0, "NettóÁr").isNull());
        EXPECT_EQ(text(10)->text(), QStringLiteral("0"));
    }
    // A stored net price too large for a whole-number gross: the save says so, nothing is clamped.
    w.reset();
    WorkFolder folder;
    addJob(kToday, "Alfa", "1", {{u("NettóÁr"), Value::number(1e12)}, {u("BruttóÁr"), Value::number(100)}});
    start();
    prompter.expectMessage(msg::kFigyelem, msg::kTulNagyOsszeg, Icon::Exclamation, Buttons::Ok, Answer::Ok);
    const QStringList logBefore = logActions();
    w->save();
    EXPECT_EQ(storedJobField(0, "BruttóÁr").asNumber(), 100);
    EXPECT_EQ(text(10)->text(), QStringLiteral("100"));
    EXPECT_EQ(logActions(), logBefore); // not logged as saved
}

TEST_F(FaultTest, APasteIsCutAtTheFieldsLimitAsTypingIs) {
    addJob(kToday, "Alfa", "1", {{u("ElvégzettMunka"), Value::text(QString())}});
    start();
    QLineEdit* e = text(4); // 200 characters
    e->clear();
    QString paste;
    for (int i = 0; i < 10000; ++i)
        paste += QChar(u'a' + i % 26);
    QApplication::clipboard()->setText(paste);
    e->setFocus();
    e->paste();
    EXPECT_EQ(e->text(), paste.left(200));
    // Into the middle of a text: what fits goes in at the cursor, the rest of the field stays.
    e->setText(QStringLiteral("ELEJE VÉGE"));
    e->setCursorPosition(6);
    e->paste();
    EXPECT_EQ(e->text(), QStringLiteral("ELEJE ") + paste.left(190) + QStringLiteral("VÉGE"));
    // A full field takes no more, by keys or by paste.
    QTest::keyClick(e, Qt::Key_X);
    e->paste();
    EXPECT_EQ(e->text().size(), 200);
    // Texts the program sets are not cut.
    e->setText(QString(250, 'y'));
    EXPECT_EQ(e->text().size(), 250);
}

} // namespace
