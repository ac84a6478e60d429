#include "BusyButton.h"
#include "Clock.h"
#include "DataGrid.h"
#include "Database.h"
#include "LaporaX.h"
#include "Messages.h"
#include "NullSafe.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "SzamlaImportFormX.h"
#include "TaroloImportFormX.h"
#include "TestRows.h"
#include "Transfer.h"
#include "View.h"
#include "WindowTest.h"
#include "WorkFolder.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <optional>

using namespace lapora;
using lapora::test::addRow;
using lapora::test::expectNewRowQuestion;
using lapora::test::Fields;
using lapora::test::ScriptedPrompter;
using lapora::test::storedColumn;
using lapora::test::testData;
using lapora::test::TestModalHost;
using lapora::test::u;
using lapora::test::WorkFolder;

namespace {

const QDate kToday(2013, 11, 7);
const QTime kNow(10, 40, 25); // 38425 seconds after midnight
const QString kStagingSource = u("select  * from SzamlaAthozat order by Sorszám");

// The invoicing program's sources as the collection asks for them, in order.
struct SourcePrompt {
    const char* table;
    const char* title;
    const char* prompt;
};
const SourcePrompt kInvoicePrompts[] = {
    {"SZAMLA", "Adatimport készpénzes számlákból - Nem kéri: üres beviteli mező",
     "Kérem a sorszámot, amitől kezdve áthozza a KÉSZPÉNZES adatokat:"},
    {"ATUTAL", "Adatimport átutalás számlákból - Nem kéri: üres beviteli mező",
     "Kérem a sorszámot, amitől kezdve áthozza az ÁTUTALÁS adatokat:"},
    {"UTANVET", "Adatimport utánvét számlákból - Nem kéri: üres beviteli mező",
     "Kérem a sorszámot, amitől kezdve áthozza az UTÁNVÉT adatokat:"},
    {"NYUGTA", "Adatimport nyugtákból - Nem kéri: üres beviteli mező",
     "Kérem a sorszámot, amitől kezdve áthozza a NYUGTA adatokat:"},
    {"SZALLITO", "Adatimport szállítólevelekből - Nem kéri: üres beviteli mező",
     "Kérem a sorszámot, amitől kezdve áthozza a SZÁLLÍTÓLEVÉL adatokat:"},
    {"SZAMLAHE", "Adatimport proforma okmányokból - Nem kéri: üres beviteli mező",
     "Kérem a sorszámot, amitől kezdve áthozza a PROFORMA adatokat:"},
};
enum { Kp, Atutal, Utanvet, Nyugta, Szallito, Proforma };

const SourcePrompt kWarehousePrompts[] = {
    {"TaroloW", "Adatimport raktárból - Nem kéri: üres beviteli mező",
     "Kérem a sorszámot, amitől kezdve áthozza a RAKTÁRI adatokat:"},
    {"Adorak", "Adatimport ÁFA raktárból - Nem kéri: üres beviteli mező",
     "Kérem a sorszámot, amitől kezdve áthozza az ÁFA raktár adatokat:"},
    {"Keverda", "Adatimport raktárból - Nem kéri: üres beviteli mező",
     "Kérem a sorszámot, amitől kezdve áthozza a receptúrás raktári adatokat:"},
};
enum { TaroloW, Adorak, Keverda };

const QString kInvoicePathTitle =
    u("FIGYELEM! Állítsa be a számlázó útvonalát a Szerviz-Paraméterek menüben!)");
const QString kInvoiceWrongPath =
    u("Rosszul van beállítva a számlázó (FakturoW) útvonala! Javaslat: C:\\FAKTURO");
const QString kNumberTitle = u("FIGYELEM! Egy számot kell megadni!");
const QString kNoSuchNumber = u("A megadott sorszám nem létezik, vagy rosszul adta meg!");

// One column of a table of lapora.mdb, in stored order or the given SELECT's.
QStringList column(const QString& source, const char* field) {
    return storedColumn(QStringLiteral("lapora.mdb"), source, u(field));
}

QStringList collected(const char* field) {
    return column(QStringLiteral("OsszesSzamlaLPM"), field);
}

QStringList stagingColumn(const char* field) {
    return column(kStagingSource, field);
}

// The value of one field of the staging line with this Sorszám.
Value stagingField(int sorszam, const char* field) {
    View v(Database::open(QStringLiteral("lapora.mdb")), kStagingSource);
    for (int i = 0; i < v.recordCount(); ++i)
        if (v.valueAt(i, 0).asNumber() == sorszam)
            return v.valueAt(i, v.fieldIndex(u(field)));
    ADD_FAILURE() << "no staging line " << sorszam;
    return {};
}

void addStaging(int sorszam, const char* name) {
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("SzamlaAthozat"),
           {{u("Sorszám"), Value::number(sorszam)}, {u("CegNev"), Value::text(u(name))}});
}

// A copy of a fixture file under another name and folder, for names and damaged files.
QString copyAs(QTemporaryDir& dir, const QString& fixture, const QString& relative) {
    const QString target = dir.filePath(relative);
    QDir().mkpath(QFileInfo(target).absolutePath());
    EXPECT_TRUE(QFile::copy(testData(fixture), target)) << target.toStdString();
    return QFileInfo(target).absolutePath();
}

// ---- mdb-export, the reference reading of the source tables
// -------------------------------------------------

using ExportRow = std::vector<std::optional<QString>>; // nullopt: NULL

std::vector<ExportRow> mdbExport(const QString& file, const QString& table) {
    QProcess p;
    p.start(QStringLiteral("mdb-export"),
            {QStringLiteral("-H"), QStringLiteral("-T"), QStringLiteral("%Y-%m-%d %H:%M:%S"),
             QStringLiteral("-0"), QStringLiteral("NULL"), file, table});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    std::vector<ExportRow> rows;
    ExportRow row;
    QString field;
    bool quoted = false, inQuotes = false, any = false;
    auto endField = [&] {
        if (!quoted && field == QLatin1String("NULL"))
            row.push_back(std::nullopt);
        else
            row.push_back(field);
        field.clear();
        quoted = false;
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        any = true;
        if (c == QLatin1Char('"')) {
            inQuotes = quoted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\n')) {
            endField();
            rows.push_back(row);
            row.clear();
            any = false;
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    if (any)
        ADD_FAILURE() << "mdb-export output without a final line end";
    return rows;
}

void expectSame(const Value& stored, const std::optional<QString>& exported, ColumnType type,
                const std::string& where) {
    SCOPED_TRACE(where);
    if (!exported) {
        // mdb-export shows a zero-length text as NULL too.
        EXPECT_TRUE(stored.isNull() || (stored.type() == Value::Type::Text && stored.asText().isEmpty()))
            << stored.display().toStdString();
        return;
    }
    switch (type) {
    case ColumnType::Text:
    case ColumnType::LongText:
        EXPECT_EQ(stored.asText().toStdString(), exported->toStdString());
        break;
    case ColumnType::Number:
    case ColumnType::Integer:
        EXPECT_EQ(stored.type(), Value::Type::Number);
        EXPECT_DOUBLE_EQ(stored.asNumber(), exported->toDouble());
        break;
    case ColumnType::Date:
        EXPECT_EQ((stored.asDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00"))
                      .toStdString(),
                  exported->toStdString());
        break;
    case ColumnType::Bool:
        EXPECT_EQ(stored.asBool() ? "1" : "0", exported->toStdString());
        break;
    default:
        ADD_FAILURE() << "unexpected column type";
    }
}

// Every exported row of the source table is in the collection table once, with every position equal; rows are
// matched by a key position unique in the fixture.
void expectCollectedAsExported(const QString& file, const QString& table, const QString& collectionTable,
                               int keyPosition, int positions) {
    SCOPED_TRACE(table.toStdString());
    const std::vector<ExportRow> exported = mdbExport(file, table);
    ASSERT_FALSE(exported.empty());
    View v(Database::open(QStringLiteral("lapora.mdb")), collectionTable);
    ASSERT_GE(v.fieldCount(), positions);
    std::multimap<QString, int> byKey;
    for (int r = 0; r < v.recordCount(); ++r)
        byKey.emplace(v.valueAt(r, keyPosition).display(), r);
    for (const ExportRow& row : exported) {
        ASSERT_EQ(static_cast<int>(row.size()), positions);
        ASSERT_TRUE(row[static_cast<size_t>(keyPosition)].has_value());
        QString key = *row[static_cast<size_t>(keyPosition)];
        ASSERT_EQ(byKey.count(key), 1u) << key.toStdString();
        const int r = byKey.find(key)->second;
        for (int pos = 0; pos < positions; ++pos)
            expectSame(v.valueAt(r, pos), row[static_cast<size_t>(pos)], v.column(pos).type,
                       key.toStdString() + " position " + std::to_string(pos) + " " +
                           v.column(pos).name.toStdString());
    }
}

// ---- the fixture
// ------------------------------------------------------------------------------------------------

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override { Clock::fix(kToday, kNow); }
    void TearDown() override {
        inv.reset();
        war.reset();
        Clock::release();
        EXPECT_TRUE(prompter.done()) << "not every expected dialog came";
    }

    SzamlaImportFormX& openInvoice(const QString& folderSetting) {
        session.settings.FakturoNextPath = folderSetting;
        inv = std::make_unique<SzamlaImportFormX>(session);
        inv->activate();
        return *inv;
    }
    SzamlaImportFormX& openInvoiceFixture(const char* fixture = "fakturo") {
        return openInvoice(testData(QString::fromLatin1(fixture)));
    }
    TaroloImportFormX& openWarehouse(const QString& tarolo, const QString& adorak, const QString& keverda) {
        session.settings.TaroloPath = tarolo;
        session.settings.AdorakPath = adorak;
        session.settings.KeverdaPath = keverda;
        war = std::make_unique<TaroloImportFormX>(session);
        war->activate();
        return *war;
    }

    void expectInvoicePrompt(int source, std::optional<QString> answer) {
        prompter.expectInput(u(kInvoicePrompts[source].title), u(kInvoicePrompts[source].prompt), answer);
    }
    void expectWarehousePrompt(int source, std::optional<QString> answer) {
        prompter.expectInput(u(kWarehousePrompts[source].title), u(kWarehousePrompts[source].prompt), answer);
    }
    // Collects from the fixture's six tables, each from the number given (empty: skipped).
    void collectInvoices(const std::vector<const char*>& answers) {
        for (size_t i = 0; i < answers.size(); ++i)
            expectInvoicePrompt(static_cast<int>(i), QString::fromUtf8(answers[i]));
        inv->collect();
    }
    void collectEveryInvoice() { collectInvoices({"1", "1", "1", "1", "1", "1"}); }

    void expectTransferQuestion(Answer all) {
        prompter.expectMessage(msg::kFigyelem, u("Átviszi a táblázat összes adatát?"), Icon::Question,
                               Buttons::YesNo, all);
    }
    void expectAppendQuestion(Answer a) {
        prompter.expectMessage(msg::kFigyelem,
                               u("Az átvitel táblája nem üres! Hozzáfűzi az adatokat a meglévőkhöz?"),
                               Icon::Question, Buttons::YesNo, a);
    }
    void expectStartNumber(std::optional<QString> answer) {
        prompter.expectInput(u("Adatimport - Nem kéri: írjon nullát!"),
                             u("Kérem a sorszámot, amitől kezdve átvisz adatot:"), answer);
    }

    template <class T> T* child(ImportForm& w, const char* name) {
        T* c = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    bool commandsEnabled(ImportForm& w) {
        const bool on = child<QPushButton>(w, "Command2")->isEnabled();
        EXPECT_EQ(child<QPushButton>(w, "Command3")->isEnabled(), on);
        EXPECT_EQ(child<QPushButton>(w, "Command4")->isEnabled(), on);
        return on;
    }
    QString current(View& v, const char* field) { return v.field(u(field)).display(); }

    WorkFolder folder;
    ScriptedPrompter prompter;
    TestModalHost modal;
    Session session{prompter, modal};
    std::unique_ptr<SzamlaImportFormX> inv;
    std::unique_ptr<TaroloImportFormX> war;
};

// ---- invoice window: opening
// --------------------------------------------------------------------------------

TEST_F(ImportTest, InvoiceOpeningChecksEndTheWindowWithTheirMessage) {
    QTemporaryDir dir;
    struct Case {
        const char* what;
        QString folder;
        bool noFolder;
    };
    const std::vector<Case> cases{
        {"no folder", QString(), true},
        {"blank folder", QStringLiteral("  "), true},
        {"missing folder", dir.filePath(QStringLiteral("nincs")), false},
        {"folder without the file", testData(QStringLiteral("tarolo")), false},
        {"a table missing", testData(QStringLiteral("fakturo-missing-table")), false},
        {"truncated file",
         copyAs(dir, QStringLiteral("corrupt/truncated.mdb"), QStringLiteral("t/LFAKT.MDB")), false},
        {"garbage file", copyAs(dir, QStringLiteral("corrupt/garbage.mdb"), QStringLiteral("g/LFAKT.MDB")),
         false},
        // A damaged table definition: the rows the file counts cannot be read, and no row is silently lost.
        {"flipped bytes", copyAs(dir, QStringLiteral("corrupt/flipped.mdb"), QStringLiteral("f/LFAKT.MDB")),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.noFolder)
            prompter.expectMessage(kInvoicePathTitle, u("Nincs beállítva a számlázó (FakturoW) útvonala!"),
                                   Icon::Exclamation, Buttons::Ok, Answer::Ok);
        else
            prompter.expectMessage(kInvoicePathTitle, kInvoiceWrongPath, Icon::Error, Buttons::Ok,
                                   Answer::Ok);
        openInvoice(c.folder);
        EXPECT_TRUE(inv->exited());
        EXPECT_FALSE(inv->quitFlag());
        EXPECT_FALSE(inv->collection().isOpen());
        EXPECT_FALSE(inv->staging().isOpen());
        EXPECT_TRUE(prompter.done());
    }
}

TEST_F(ImportTest, InvoiceFolderTakesEitherSeparatorAndTheFileNameInAnyCase) {
    QTemporaryDir dir;
    copyAs(dir, QStringLiteral("fakturo/LFAKT.MDB"), QStringLiteral("Fakt/lfakt.mdb"));
    for (const QString& setting :
         {dir.path() + QStringLiteral("\\Fakt"), dir.path() + QStringLiteral("/Fakt/")}) {
        SCOPED_TRACE(setting.toStdString());
        openInvoice(setting);
        EXPECT_FALSE(inv->exited());
        EXPECT_TRUE(prompter.asked.isEmpty());
    }
}

TEST_F(ImportTest, InvoiceLoadMarksNoFilterAndDisablesTheCommands) {
    openInvoiceFixture();
    EXPECT_EQ(inv->filterInForce(), QStringLiteral("SzurKi"));
    EXPECT_FALSE(commandsEnabled(*inv));
    EXPECT_EQ(inv->windowTitle(), u("Számlázóból adatimport - Lapora"));
    QStringList filters;
    for (QAction* a : inv->findChild<QMenu*>(QStringLiteral("Szures"))->actions())
        filters << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + QLatin1Char('=') + a->text());
    EXPECT_EQ(filters,
              (QStringList{u("Kp=Készpénzes"), u("Atutal=Átutalás"), u("Utanvet=Utánvét"), u("Nyugta=Nyugta"),
                           u("Proforma=Proforma készpénzes"), u("ProformaAtutal=Proforma átutalás"),
                           u("Szallito=Szállítólevél-előleg okmány"), "-",
                           u("SzurKi=Szűrés kikapcsolása (minden adat)")}));
    // The grid shows the 82 fields headed by their names.
    EXPECT_EQ(inv->grid()->viewModel()->columnCount(), 82);
    EXPECT_EQ(inv->grid()->viewModel()->headerData(81, Qt::Horizontal).toString(),
              QStringLiteral("HozzaAdott"));
}

TEST_F(ImportTest, OpeningWithCollectedLinesAsksToDeleteThem) {
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("OsszesSzamlaLPM"),
           {{u("SZAMLASOR"), Value::number(5)}});
    struct Case {
        Answer deleteNow, deleteAll;
        int left;
    };
    for (const Case& c : {Case{Answer::No, Answer::No, 1}, Case{Answer::Yes, Answer::No, 1},
                          Case{Answer::Yes, Answer::Yes, 0}}) {
        prompter.expectMessage(u("FIGYELEM!)"),
                               u("Nem üres az áthozatal táblája! Törli az összes adatot most?"),
                               Icon::Question, Buttons::YesNo, c.deleteNow);
        if (c.deleteNow == Answer::Yes)
            prompter.expectMessage(msg::kFigyelemTorles,
                                   u("Biztosan véglegesen törli az összes adatot (Delete All)?"),
                                   Icon::Exclamation, Buttons::YesNo, c.deleteAll);
        openInvoiceFixture();
        EXPECT_EQ(collected("SZAMLASOR").size(), c.left);
        // Kept lines after Yes and No: the commands stay off until a filter or a collection.
        EXPECT_EQ(commandsEnabled(*inv), c.deleteNow == Answer::No);
    }
}

// ---- invoice window: collection
// -----------------------------------------------------------------------------

TEST_F(ImportTest, CollectionFrom1250OnAtutalTakesEveryLineFromThereLowestFirst) {
    openInvoiceFixture();
    const int beepsBefore = prompter.beeps;
    expectInvoicePrompt(Kp, QString()); // empty: skipped
    expectInvoicePrompt(Atutal, QStringLiteral("1250"));
    expectInvoicePrompt(Utanvet, std::nullopt); // cancelled
    expectInvoicePrompt(Nyugta, QStringLiteral("0"));
    expectInvoicePrompt(Szallito, QStringLiteral("abc"));
    expectInvoicePrompt(Proforma, QStringLiteral("1,2,3"));
    inv->collect();
    EXPECT_EQ(prompter.beeps - beepsBefore, 5); // one per skipped source, none for the copied positions
    EXPECT_EQ(collected("SZAMLASOR"), (QStringList{"1250", "1250", "1251"}));
    EXPECT_EQ(collected("MEGNEVEZES"),
              (QStringList{u("Szivattyú csere"), u("Kezelési kézikönyv (nyomtatott)"),
                           u("Kazán éves karbantartása")}));
    EXPECT_TRUE(commandsEnabled(*inv));
    EXPECT_EQ(inv->collection().source(), u("select * from OsszesSzamlaLPM order by Fiz_Mod, SZAMLASOR"));
    EXPECT_EQ(inv->collection().position(), 2);
    EXPECT_EQ(current(inv->collection(), "SZAMLASOR"), QStringLiteral("1251"));
    EXPECT_EQ(inv->findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("1251"));
    EXPECT_EQ(inv->findChild<QPushButton*>(QStringLiteral("Command1"))->palette().color(QPalette::Button),
              kIdleWhite);
}

TEST_F(ImportTest, EmptySourceTablesAreNotOffered) {
    openInvoiceFixture("fakturo-empty");
    expectInvoicePrompt(Kp, QStringLiteral("1001"));
    expectInvoicePrompt(Nyugta, QString());
    inv->collect();
    EXPECT_EQ(collected("SZAMLASOR").size(), 6);
}

TEST_F(ImportTest, ANumberBeyondTheLastDocumentIsSaidAndTheSourceSkipped) {
    openInvoiceFixture();
    expectInvoicePrompt(Kp, QStringLiteral("5000"));
    prompter.expectMessage(kNumberTitle, kNoSuchNumber, Icon::Exclamation, Buttons::Ok, Answer::Ok);
    expectInvoicePrompt(Atutal, QString());
    expectInvoicePrompt(Utanvet, QString());
    expectInvoicePrompt(Nyugta, QStringLiteral("8"));
    expectInvoicePrompt(Szallito, QString());
    expectInvoicePrompt(Proforma, QString());
    inv->collect();
    EXPECT_EQ(collected("SZAMLASOR"), QStringList{"8"});
}

TEST_F(ImportTest, CollectingTwiceGivesEveryLineTwice) {
    openInvoiceFixture();
    collectInvoices({"", "", "500", "", "", ""});
    EXPECT_EQ(collected("SZAMLASOR"), (QStringList{"500", "500"}));
    EXPECT_EQ(inv->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QString());
    collectInvoices({"", "", "500", "", "", ""});
    EXPECT_EQ(collected("SZAMLASOR"), (QStringList{"500", "500", "500", "500"}));
}

TEST_F(ImportTest, CollectionStartsOnTheHighestSerialAlreadyCollected) {
    openInvoiceFixture();
    collectInvoices({"1250", "", "", "", "", ""});
    collectInvoices({"", "", "", "", "", ""});
    // Text1 took 1250 at the start; the quick find stood on the first line of 1250 then.
    EXPECT_EQ(inv->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("1250"));
    EXPECT_EQ(collected("SZAMLASOR").size(), 3);
}

TEST_F(ImportTest, EveryCollectedInvoiceLineHoldsWhatMdbExportShows) {
    openInvoiceFixture();
    collectEveryInvoice();
    EXPECT_EQ(collected("SZAMLASOR").size(), 19);
    for (const SourcePrompt& s : kInvoicePrompts)
        expectCollectedAsExported(testData(QStringLiteral("fakturo/LFAKT.MDB")), QString::fromLatin1(s.table),
                                  QStringLiteral("OsszesSzamlaLPM"), 63, 82);
}

TEST_F(ImportTest, ALineTheStoreRefusesIsLeftOutAndSaidInTheCaption) {
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("OsszesSzamlaLPM"),
           {{u("SZAMLASOR"), Value::number(5)}});
    prompter.expectMessage(u("FIGYELEM!)"), u("Nem üres az áthozatal táblája! Törli az összes adatot most?"),
                           Icon::Question, Buttons::YesNo, Answer::No);
    openInvoiceFixture();
    auto blocker = Database::open(QStringLiteral("lapora.mdb"));
    blocker->executeRaw(
        QStringLiteral("CREATE TRIGGER block BEFORE INSERT ON OsszesSzamlaLPM WHEN NEW.SZAMLASOR = 1250 "
                       "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    const int beepsBefore = prompter.beeps;
    collectInvoices({"", "1", "", "", "", ""});
    EXPECT_EQ(prompter.beeps - beepsBefore, 2 + 5); // the two refused lines, the five skipped sources
    EXPECT_EQ(inv->grid()->caption(), ImportForm::kSaveErrorCaption);
    EXPECT_EQ(collected("SZAMLASOR"), (QStringList{"5", "1249", "1251"}));
}

// ---- invoice window: filters, quick find, deletions
// ------------------------------------------------------------

TEST_F(ImportTest, FiltersShowTheirPaymentModes) {
    openInvoiceFixture();
    collectEveryInvoice();
    struct Case {
        const char* command;
        QStringList serials;
    };
    const Case cases[] = {
        {"Kp", {"1001", "1001", "1002", "1250", "1250", "1250"}},
        {"Atutal", {"1249", "1250", "1250", "1251"}},
        {"Utanvet", {"500", "500"}},
        {"Nyugta", {"7", "8"}},
        {"Proforma", {"90"}},
        {"ProformaAtutal", {"91"}},
        {"Szallito", {"1300", "1300", "1301"}}, // "szállítól." and "átutalás E" both
        {"SzurKi",
         {"7", "8", "90", "91", "500", "500", "1001", "1001", "1002", "1249", "1250", "1250", "1250", "1250",
          "1250", "1251", "1300", "1300", "1301"}},
    };
    // A header sort in force does not carry over to a filter's new row set.
    inv->grid()->clickHeader(16);
    inv->grid()->clickHeader(16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        inv->findChild<QAction*>(QString::fromLatin1(c.command))->trigger();
        EXPECT_EQ(inv->filterInForce(), QString::fromLatin1(c.command));
        QStringList serials;
        View& v = inv->collection();
        for (int i = 0; i < v.recordCount(); ++i)
            serials << v.valueAt(i, 16).display();
        EXPECT_EQ(serials, c.serials);
        // On the last row, whose serial in Text1 took the quick find to the first line of that document.
        EXPECT_EQ(v.position(), serials.indexOf(c.serials.last()));
        EXPECT_EQ(inv->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), c.serials.last());
        EXPECT_TRUE(commandsEnabled(*inv));
    }
}

TEST_F(ImportTest, AnEmptyFilterSaysSoAndDisablesTheCommands) {
    openInvoiceFixture();
    collectInvoices({"1", "", "", "", "", ""});
    struct Case {
        const char* command;
        const char* message;
    };
    for (const Case& c :
         {Case{"Atutal", "Nincs átutalás adat!"}, Case{"Utanvet", "Nincs utánvét adat!"},
          Case{"Nyugta", "Nincs nyugta adat!"}, Case{"Proforma", "Nincs készpénzes proforma adat!"},
          Case{"ProformaAtutal", "Nincs átutalás proforma adat!"},
          Case{"Szallito", "Nincs szállítólevél adat!"}}) {
        prompter.expectMessage(msg::kFigyelem, u(c.message), Icon::Exclamation, Buttons::Ok, Answer::Ok);
        inv->filter(QString::fromLatin1(c.command));
        EXPECT_FALSE(commandsEnabled(*inv));
    }
    inv->filter(QStringLiteral("Kp"));
    EXPECT_TRUE(commandsEnabled(*inv));
}

TEST_F(ImportTest, QuickFindRunsOnEveryTypedDigit) {
    openInvoiceFixture();
    collectEveryInvoice();
    inv->filter(QStringLiteral("SzurKi"));
    QLineEdit* text1 = inv->findChild<QLineEdit*>(QStringLiteral("Text1"));
    text1->clear();
    int beeps = prompter.beeps;
    QTest::keyClicks(text1, QStringLiteral("12"));
    // "1" has no line: a beep and the last row; "12" has none either.
    EXPECT_EQ(prompter.beeps - beeps, 2);
    EXPECT_EQ(inv->collection().position(), 18);
    text1->clear();
    beeps = prompter.beeps;
    QTest::keyClicks(text1, QStringLiteral("9x1"));
    // "9": none, beep; "x" dropped with a beep; "91" found.
    EXPECT_EQ(text1->text(), QStringLiteral("91"));
    EXPECT_EQ(prompter.beeps - beeps, 2);
    EXPECT_EQ(current(inv->collection(), "SZAMLASOR"), QStringLiteral("91"));
    text1->setText(QStringLiteral("1250"));
    EXPECT_EQ(inv->collection().position(), 10); // the first line of 1250
}

TEST_F(ImportTest, DeletingLinesAsksAndKeepsTheCursorInPlace) {
    openInvoiceFixture();
    collectInvoices({"", "", "500", "", "", "91"});
    View& v = inv->collection();
    const auto serials = [&v] {
        QStringList out;
        for (int i = 0; i < v.recordCount(); ++i)
            out << v.valueAt(i, 16).display();
        return out;
    };
    inv->filter(QStringLiteral("SzurKi"));
    EXPECT_EQ(serials(), (QStringList{"91", "500", "500"}));
    EXPECT_EQ(v.position(), 1); // the first line of the last document
    const auto question = [this](Answer a) {
        prompter.expectMessage(msg::kFigyelemTorles, u("Biztosan véglegesen törli az adatsort (Delete)?"),
                               Icon::Exclamation, Buttons::YesNo, a);
    };
    question(Answer::Yes);
    inv->deleteLine();
    EXPECT_EQ(serials(), (QStringList{"91", "500"}));
    EXPECT_EQ(v.position(), 1); // the next row took its place
    question(Answer::Yes);
    inv->deleteLine(); // the last row: the new last row is current
    EXPECT_EQ(serials(), QStringList{"91"});
    EXPECT_EQ(v.position(), 0);
    question(Answer::No);
    inv->deleteLine();
    EXPECT_EQ(collected("SZAMLASOR"), QStringList{"91"});
    question(Answer::Yes);
    prompter.expectMessage(msg::kFigyelem, u("Minden adat törölve (Deleted All)!"), Icon::Exclamation,
                           Buttons::Ok, Answer::Ok);
    inv->deleteLine();
    EXPECT_TRUE(collected("SZAMLASOR").isEmpty());
    inv->deleteLine(); // nothing left: the button goes off, no question
    EXPECT_FALSE(inv->findChild<QPushButton*>(QStringLiteral("Command2"))->isEnabled());
}

TEST_F(ImportTest, DeletingAllUnderAFilterTakesOnlyThatMode) {
    openInvoiceFixture();
    collectEveryInvoice();
    inv->filter(QStringLiteral("Nyugta"));
    prompter.expectMessage(msg::kFigyelemTorles,
                           u("Biztosan véglegesen törli az összes adatot (Delete All)?"), Icon::Exclamation,
                           Buttons::YesNo, Answer::Yes);
    inv->deleteAll();
    EXPECT_EQ(collected("SZAMLASOR").size(), 17);
    EXPECT_FALSE(collected("FIZ_MOD").contains(QStringLiteral("nyugta")));
    EXPECT_EQ(inv->filterInForce(), QStringLiteral("SzurKi"));
    EXPECT_FALSE(commandsEnabled(*inv));
}

TEST_F(ImportTest, ARefusedDeletionKeepsEveryLine) {
    openInvoiceFixture();
    collectEveryInvoice();
    auto blocker = Database::open(QStringLiteral("lapora.mdb"));
    blocker->executeRaw(
        QStringLiteral("CREATE TRIGGER block BEFORE DELETE ON OsszesSzamlaLPM WHEN OLD.SZAMLASOR = 8 "
                       "BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    prompter.expectMessage(msg::kFigyelemTorles,
                           u("Biztosan véglegesen törli az összes adatot (Delete All)?"), Icon::Exclamation,
                           Buttons::YesNo, Answer::Yes);
    prompter.expectMessage(msg::kFigyelem, msg::kIrasHiba, Icon::Error, Buttons::Ok, Answer::Ok);
    inv->deleteAll();
    EXPECT_EQ(collected("SZAMLASOR").size(), 19);
    EXPECT_EQ(inv->collection().recordCount(), 19);
}

// ---- transfer
// -------------------------------------------------------------------------------------------------------

TEST_F(ImportTest, TransferIntoAnEmptyStagingTableNumbersFromOneAndCloses) {
    openInvoiceFixture();
    collectInvoices({"", "1250", "", "", "", ""});
    expectTransferQuestion(Answer::Yes);
    inv->transfer();
    EXPECT_TRUE(inv->exited());
    EXPECT_EQ(stagingColumn("Sorszám"), (QStringList{"1", "2", "3"}));
    // In the grid's order: payment mode, then serial.
    EXPECT_EQ(stagingColumn("Szamlaszam"), (QStringList{"1250", "1250", "1251"}));
    const std::map<QString, Value> line2{
        {u("Szamlaszam"), Value::number(1250)},
        {u("CegNev"), Value::text(u("Dunántúli Vízművek Zrt."))},
        {u("CegCim"), Value::text(u("Pécs Király u. 31/B."))},
        {u("Megnevezes"), Value::text(u("Kezelési kézikönyv (nyomtatott)"))},
        {u("Netto"), Value::number(14400)},
        {u("AFA"), Value::number(5)},
        {u("Brutto"), Value::number(15120)},
        {u("Datumtol"), Value::date(QDate(2013, 6, 11))},
        {u("Datumig"), Value::date(QDate(2013, 6, 27))},
        {u("Adatfelvetel"), Value::date(QDate(2013, 6, 12))},
        {u("Devizanem"), Value::text(QStringLiteral("HUF"))},
        {u("RészÖsszeg"), Value::number(0)},
        {u("FizetésMódja"), Value::text(u("átutalás"))},
        {u("Mennyiség"), Value::number(12)},
        {u("recordID"), Value::text(u("201311738425"))},
        {u("Kivezetés"), Value()},
        {u("Megjegyzés"), Value()},
        {u("Teljesités"), Value()},
    };
    for (const auto& [field, value] : line2)
        EXPECT_EQ(stagingField(2, field.toUtf8().constData()), value) << field.toStdString();
    EXPECT_EQ(stagingField(3, "Devizanem").asText(), QStringLiteral("EUR"));
}

TEST_F(ImportTest, TransferAppendsAfterTheHighestLineNumber) {
    addStaging(17, "Régi");
    addStaging(3, "Régi");
    openInvoiceFixture();
    collectInvoices({"", "", "500", "", "", ""});
    expectTransferQuestion(Answer::Yes);
    expectAppendQuestion(Answer::Yes);
    inv->transfer();
    EXPECT_EQ(stagingColumn("Sorszám"), (QStringList{"3", "17", "18", "19"}));
    EXPECT_EQ(inv->nextLineNumber(), 20);
}

TEST_F(ImportTest, DecliningToAppendWritesNothingAndStaysOpen) {
    addStaging(4, "Régi");
    openInvoiceFixture();
    collectInvoices({"", "", "500", "", "", ""});
    expectTransferQuestion(Answer::Yes);
    expectAppendQuestion(Answer::No);
    inv->transfer();
    EXPECT_FALSE(inv->exited());
    EXPECT_EQ(stagingColumn("Sorszám"), QStringList{"4"});
    EXPECT_EQ(inv->findChild<QPushButton*>(QStringLiteral("Command3"))->palette().color(QPalette::Button),
              kIdleWhite);
}

TEST_F(ImportTest, AllLinesUnderAFilterGoInTheGridsOrder) {
    openInvoiceFixture();
    collectEveryInvoice();
    inv->filter(QStringLiteral("Nyugta"));
    inv->grid()->clickHeader(16); // SZAMLASOR ascending
    inv->grid()->clickHeader(16); // descending
    expectTransferQuestion(Answer::Yes);
    inv->transfer();
    EXPECT_EQ(stagingColumn("Szamlaszam"), (QStringList{"8", "7"}));
    EXPECT_EQ(stagingColumn("FizetésMódja"), (QStringList{"nyugta", "nyugta"}));
}

TEST_F(ImportTest, AStartNumberKeepsToThePaymentModeOfTheFilter) {
    openInvoiceFixture();
    collectEveryInvoice();
    inv->filter(QStringLiteral("Szallito")); // shows "átutalás E" too
    expectTransferQuestion(Answer::No);
    expectStartNumber(QStringLiteral("1250"));
    inv->transfer();
    EXPECT_TRUE(inv->exited());
    EXPECT_EQ(stagingColumn("Szamlaszam"), (QStringList{"1300", "1300"}));
    EXPECT_EQ(stagingColumn("FizetésMódja"), (QStringList{u("szállítól."), u("szállítól.")}));
}

TEST_F(ImportTest, AStartNumberWithoutAFilterTakesEveryModeFromThere) {
    openInvoiceFixture();
    collectEveryInvoice();
    expectTransferQuestion(Answer::No);
    expectStartNumber(QStringLiteral("1251"));
    inv->transfer();
    EXPECT_EQ(stagingColumn("Szamlaszam"), (QStringList{"1251", "1300", "1300", "1301"}));
}

TEST_F(ImportTest, ABadStartNumberWritesNothingAndCloses) {
    struct Case {
        std::optional<QString> answer;
        bool noLine; // the message, rather than a beep
    };
    for (const Case& c : {Case{QString(), false}, Case{std::nullopt, false}, Case{QStringLiteral("0"), false},
                          Case{QStringLiteral("abc"), false}, Case{QStringLiteral("5000"), true}}) {
        SCOPED_TRACE(c.answer.value_or(QStringLiteral("<cancel>")).toStdString());
        WorkFolder own; // a fresh lapora.mdb for each answer
        openInvoiceFixture();
        collectInvoices({"", "", "", "7", "", ""});
        inv->filter(QStringLiteral("Nyugta"));
        const int beeps = prompter.beeps;
        expectTransferQuestion(Answer::No);
        expectStartNumber(c.answer);
        if (c.noLine)
            prompter.expectMessage(kNumberTitle, kNoSuchNumber, Icon::Exclamation, Buttons::Ok, Answer::Ok);
        inv->transfer();
        EXPECT_EQ(prompter.beeps - beeps, 2); // before the question, and for the answer or the message
        EXPECT_TRUE(inv->exited());
        EXPECT_TRUE(stagingColumn("Sorszám").isEmpty());
        EXPECT_TRUE(prompter.done());
        inv.reset();
    }
}

TEST_F(ImportTest, MissingSeatAddressAndPerformanceDate) {
    openInvoiceFixture();
    collectInvoices({"", "", "", "7", "", ""});
    expectTransferQuestion(Answer::Yes);
    inv->transfer();
    // 7 has no performance date: today; 8 has neither seat nor address: one blank.
    EXPECT_EQ(stagingField(1, "Datumtol"), Value::date(kToday));
    EXPECT_EQ(stagingField(1, "CegCim"), Value::text(u("Budaörs Szabadság út 88.")));
    EXPECT_EQ(stagingField(2, "CegCim"), Value::text(QStringLiteral(" ")));
    EXPECT_EQ(stagingField(2, "Datumtol"), Value::date(QDate(2013, 5, 7)));
}

TEST_F(ImportTest, TransferAfterTheLastLineWasDeletedWritesNothingAndCloses) {
    openInvoiceFixture();
    collectInvoices({"", "", "", "", "", "91"});
    prompter.expectMessage(msg::kFigyelemTorles, u("Biztosan véglegesen törli az adatsort (Delete)?"),
                           Icon::Exclamation, Buttons::YesNo, Answer::Yes);
    prompter.expectMessage(msg::kFigyelem, u("Minden adat törölve (Deleted All)!"), Icon::Exclamation,
                           Buttons::Ok, Answer::Ok);
    inv->deleteLine();
    QPushButton* command3 = inv->findChild<QPushButton*>(QStringLiteral("Command3"));
    EXPECT_TRUE(command3->isEnabled());
    command3->click();
    EXPECT_TRUE(inv->exited());
    EXPECT_TRUE(stagingColumn("Sorszám").isEmpty());
}

TEST_F(ImportTest, ARefusedStagingWriteTakesBackTheWholeTransfer) {
    addStaging(1, "Régi");
    openInvoiceFixture();
    collectInvoices({"", "1250", "", "", "", ""});
    auto blocker = Database::open(QStringLiteral("lapora.mdb"));
    blocker->executeRaw(u("CREATE TRIGGER block BEFORE INSERT ON SzamlaAthozat WHEN NEW.Sorszám = 3 "
                          "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    expectTransferQuestion(Answer::Yes);
    expectAppendQuestion(Answer::Yes);
    prompter.expectMessage(msg::kFigyelem, msg::kIrasHiba, Icon::Error, Buttons::Ok, Answer::Ok);
    inv->transfer();
    EXPECT_FALSE(inv->exited());
    EXPECT_EQ(stagingColumn("Sorszám"), QStringList{"1"});
    EXPECT_EQ(collected("SZAMLASOR").size(), 3);

    blocker->executeRaw(QStringLiteral("DROP TRIGGER block"));
    expectTransferQuestion(Answer::Yes);
    expectAppendQuestion(Answer::Yes);
    inv->transfer();
    EXPECT_EQ(stagingColumn("Sorszám"), (QStringList{"1", "2", "3", "4"}));
}

TEST(TransferStamp, DateWithoutLeadingZerosThenSingleSeconds) {
    struct Case {
        QDate day;
        double seconds;
        const char* stamp;
    };
    const Case cases[] = {
        {QDate(2013, 1, 17), 38425.12, "201311738425,12"},
        {QDate(2013, 11, 7), 38425.12, "201311738425,12"}, // the same digits as 17 January
        {QDate(2013, 5, 7), 38425.5, "20135738425,5"},
        {QDate(2013, 12, 31), 86399.99, "2013123186399,99"},
        {QDate(2013, 5, 7), 38425.123, "20135738425,12"}, // seven significant digits
        {QDate(2013, 5, 7), 45296, "20135745296"},
        {QDate(2013, 5, 7), 0.25, "2013570,25"},
        {QDate(2013, 5, 7), 0, "2013570"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(imports::transferStamp(c.day, c.seconds), QString::fromLatin1(c.stamp))
            << c.day.toString(Qt::ISODate).toStdString() << " " << c.seconds;
}

// ---- warehouse window
// -------------------------------------------------------------------------------------------

TEST_F(ImportTest, WarehouseOpeningChecks) {
    QTemporaryDir dir;
    const QString tarolo = testData(QStringLiteral("tarolo"));
    const QString keverda = testData(QStringLiteral("keverda"));
    const QString damaged =
        copyAs(dir, QStringLiteral("corrupt/garbage.mdb"), QStringLiteral("d/tarolo.lpb"));
    struct Case {
        const char* what;
        QString tarolo, adorak, keverda;
        const char* title;
        const char* text;
        Icon icon;
    };
    const Case cases[] = {
        {"nothing set", QString(), QString(), QString(),
         "FIGYELEM! Állítsa be a raktárak útvonalát a Szerviz-Paraméterek menüben!)",
         "Nincs beállítva a raktár (TaroloW, Keverda, KvadrixC-EU, Adorak) útvonala!", Icon::Exclamation},
        // Keverda is right, but the check stops at TaroloW.
        {"wrong TaroloPath", dir.filePath(QStringLiteral("nincs")), QString(), keverda,
         "FIGYELEM! Állítsa be a raktár útvonalát a Szerviz-Paraméterek menüben!)",
         "Rosszul van beállítva a raktár (TaroloW) útvonala! Javaslat: C:\\TAROLOW", Icon::Error},
        {"no KIVET", testData(QStringLiteral("tarolo-notable")), QString(), QString(),
         "FIGYELEM! Állítsa be a raktár útvonalát a Szerviz-Paraméterek menüben!)",
         "Rosszul van beállítva a raktár (TaroloW) útvonala! Javaslat: C:\\TAROLOW", Icon::Error},
        {"damaged Adorak", tarolo, damaged, keverda,
         "FIGYELEM! Állítsa be az ÁFA raktár útvonalát a Szerviz-Paraméterek menüben!)",
         "Rosszul van beállítva az ÁFA raktár (Adorak) útvonala! Javaslat: C:\\ADORAK", Icon::Error},
        {"wrong Keverda", tarolo, QString(), tarolo + QStringLiteral("/x"),
         "FIGYELEM! Állítsa be a receptúrás raktár útvonalát a Szerviz-Paraméterek menüben!)",
         "Rosszul van beállítva a receptúrás raktár (Keverda) útvonala! Javaslat: C:\\KEVERDA", Icon::Error},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.expectMessage(u(c.title), u(c.text), c.icon, Buttons::Ok, Answer::Ok);
        openWarehouse(c.tarolo, c.adorak, c.keverda);
        EXPECT_TRUE(war->exited());
        EXPECT_FALSE(war->collection().isOpen());
        EXPECT_TRUE(prompter.done());
    }
}

TEST_F(ImportTest, OnlyKeverdaSetOffersOnlyItsPrompt) {
    openWarehouse(QString(), QString(), testData(QStringLiteral("keverda")));
    EXPECT_FALSE(war->exited());
    EXPECT_EQ(war->windowTitle(), u("Raktárból adatimport - Lapora"));
    expectWarehousePrompt(Keverda, QStringLiteral("201"));
    war->collect();
    EXPECT_EQ(column(QStringLiteral("RAKTARKIVET"), "Sorszám"), (QStringList{"201", "202", "203"}));
    EXPECT_EQ(war->collection().source(), u("select * from RAKTARKIVET order by Sorszám"));
    EXPECT_EQ(war->collection().position(), 2);
}

TEST_F(ImportTest, AdorakIntoATwentyNineFieldTableBeepsSixTimesALineAndKeepsIt) {
    openWarehouse(QString(), testData(QStringLiteral("adorak")), QString());
    expectWarehousePrompt(Adorak, QStringLiteral("103"));
    const int beeps = prompter.beeps;
    war->collect();
    EXPECT_EQ(prompter.beeps - beeps, 2 * 6);
    EXPECT_EQ(column(QStringLiteral("RAKTARKIVET"), "Sorszám"), (QStringList{"103", "104"}));
    EXPECT_EQ(column(QStringLiteral("RAKTARKIVET"), "VEVONEV"),
              (QStringList{u("Gruber Haustechnik Hungária Kft."), u("O'Brien \"Gépész\" Bt.")}));
}

TEST_F(ImportTest, AKivetWithoutSorszamEndsTheCollectionWithTheUpdateHint) {
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("RAKTARKIVET"), {{u("Sorszám"), Value::number(9)}});
    prompter.expectMessage(u("FIGYELEM!)"), u("Nem üres az áthozatal táblája! Törli az összes adatot most?"),
                           Icon::Question, Buttons::YesNo, Answer::No);
    openWarehouse(testData(QStringLiteral("tarolo-nosorszam")), QString(),
                  testData(QStringLiteral("keverda")));
    expectWarehousePrompt(TaroloW, QStringLiteral("1"));
    prompter.expectMessage(u("FIGYELEM! SÚLYOS ADATBÁZIS HIBA!"),
                           u("Valószínűleg frissíteni kell a TaroloW szoftvert!"), Icon::Error, Buttons::Ok,
                           Answer::Ok);
    war->collect(); // Keverda is not asked
    EXPECT_EQ(column(QStringLiteral("RAKTARKIVET"), "Sorszám"), QStringList{"9"});
    EXPECT_EQ(war->findChild<QPushButton*>(QStringLiteral("Command1"))->palette().color(QPalette::Button),
              kIdleWhite);
    EXPECT_FALSE(war->exited());
}

TEST_F(ImportTest, EveryCollectedWarehouseLineHoldsWhatMdbExportShows) {
    struct Case {
        const char* fixture;
        int program;
        int positions;
        std::vector<Column> extra; // RAKTARKIVET widened to the program's KIVET
    };
    const Case cases[] = {
        {"tarolo", TaroloW, 29, {}},
        {"adorak",
         Adorak,
         35,
         {{u("VamAzonosito"), ColumnType::Text, 20},
          {u("VamErtek"), ColumnType::Number, 0},
          {u("JovedekiAdo"), ColumnType::Number, 0},
          {u("RaktarKod"), ColumnType::Text, 10},
          {u("Megjegyzes"), ColumnType::LongText, 0},
          {u("Rogzitette"), ColumnType::Text, 30}}},
        {"keverda",
         Keverda,
         33,
         {{u("ReceptKod"), ColumnType::Text, 20},
          {u("ReceptNev"), ColumnType::Text, 50},
          {u("Adag"), ColumnType::Number, 0},
          {u("Keszito"), ColumnType::Text, 30}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        WorkFolder own; // a fresh lapora.mdb per program
        {
            auto db = Database::open(QStringLiteral("lapora.mdb"));
            for (const Column& col : c.extra)
                db->executeRaw(QStringLiteral("ALTER TABLE RAKTARKIVET ADD COLUMN \"") + col.name +
                               QStringLiteral("\" ") + declaredType(col));
        }
        const QString folder = testData(QString::fromLatin1(c.fixture));
        openWarehouse(c.program == TaroloW ? folder : QString(), c.program == Adorak ? folder : QString(),
                      c.program == Keverda ? folder : QString());
        expectWarehousePrompt(c.program, QStringLiteral("1"));
        const int beeps = prompter.beeps;
        war->collect();
        EXPECT_EQ(prompter.beeps, beeps); // every position copied
        expectCollectedAsExported(folder + QStringLiteral("/TAROLO.LPB"), QStringLiteral("KIVET"),
                                  QStringLiteral("RAKTARKIVET"), 0, c.positions);
        war.reset();
    }
}

TEST_F(ImportTest, WarehouseTransferMapsTheIssueLine) {
    addStaging(2, "Régi");
    openWarehouse(testData(QStringLiteral("tarolo")), QString(), QString());
    expectWarehousePrompt(TaroloW, QStringLiteral("1"));
    war->collect();
    expectTransferQuestion(Answer::No);
    expectAppendQuestion(Answer::Yes);
    expectStartNumber(QStringLiteral("4"));
    war->transfer();
    EXPECT_TRUE(war->exited());
    EXPECT_EQ(stagingColumn("Szamlaszam"), (QStringList{"", "4", "5", "6"}));
    const std::map<QString, Value> line3{
        {u("Sorszám"), Value::number(3)},
        {u("CegNev"), Value::text(u("Készpénzes vevő"))},
        {u("CegCim"), Value::text(QStringLiteral(" "))},
        {u("Megnevezes"), Value::text(u("Ablaktörlő lapát 550 mm"))},
        {u("Netto"), Value::number(3780)},
        {u("AFA"), Value::number(27)},
        {u("Brutto"), Value::number(4801)},
        {u("Datumtol"), Value::date(QDate(2013, 3, 14))},
        {u("Datumig"), Value::date(kToday)},
        {u("Adatfelvetel"), Value::date(kToday)},
        {u("RészÖsszeg"), Value::number(0)},
        {u("Mennyiség"), Value::number(2)},
        {u("recordID"), Value::text(u("201311738425"))},
    };
    for (const auto& [field, value] : line3)
        EXPECT_EQ(stagingField(3, field.toUtf8().constData()), value) << field.toStdString();
    for (const char* empty : {"Devizanem", "FizetésMódja"})
        EXPECT_TRUE(NullText(stagingField(3, empty)).isEmpty()) << empty;
    EXPECT_EQ(stagingField(4, "CegCim"), Value::text(u("Vác Deákvári fasor 12.")));
}

TEST_F(ImportTest, WarehouseGridEditsACellInPlace) {
    openWarehouse(testData(QStringLiteral("tarolo")), QString(), QString());
    expectWarehousePrompt(TaroloW, QStringLiteral("6"));
    war->collect();
    DataGrid* g = war->grid();
    EXPECT_EQ(g->viewModel()->columnCount(), 28);
    EXPECT_EQ(g->viewModel()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("MEGNEVEZES"));
    EXPECT_EQ(g->toolTip(), u("Cellában javít, oszlopra kattintva rendez"));
    g->viewModel()->setData(g->viewModel()->index(0, 0), u("Gyújtógyertya (javítva)"));
    expectTransferQuestion(Answer::Yes);
    war->transfer();
    EXPECT_EQ(stagingColumn("Megnevezes"), QStringList{u("Gyújtógyertya (javítva)")});
}

TEST_F(ImportTest, ATypedCellGoesInOnExitAndARefusedOneKeepsTheWindowOpen) {
    openWarehouse(testData(QStringLiteral("tarolo")), QString(), QString());
    expectWarehousePrompt(TaroloW, QStringLiteral("5"));
    war->collect();
    ViewModel* m = war->grid()->viewModel();
    auto blocker = Database::open(QStringLiteral("lapora.mdb"));
    blocker->executeRaw(QStringLiteral("CREATE TRIGGER block BEFORE UPDATE ON RAKTARKIVET "
                                       "BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    m->setData(m->index(war->collection().position(), 0), u("Gyertya"));
    prompter.expectMessage(msg::kFigyelem, msg::kIrasHiba, Icon::Error, Buttons::Ok, Answer::Ok);
    war->findChild<QAction*>(QStringLiteral("Kilepes"))->trigger();
    EXPECT_FALSE(war->exited());
    EXPECT_TRUE(war->collection().isOpen());

    blocker->executeRaw(QStringLiteral("DROP TRIGGER block"));
    war->exitCommand();
    EXPECT_TRUE(war->exited());
    EXPECT_EQ(column(QStringLiteral("RAKTARKIVET"), "MEGNEVEZES"),
              (QStringList{u("Motorolaj 5W-40"), u("Gyertya")}));
}

// ---- both windows
// ---------------------------------------------------------------------------------------------------

TEST_F(ImportTest, LabelsHoldTheirTextsAndTheExitClosesTheViews) {
    openInvoiceFixture();
    openWarehouse(testData(QStringLiteral("tarolo")), QString(), QString());
    for (ImportForm* w : std::initializer_list<ImportForm*>{inv.get(), war.get()}) {
        SCOPED_TRACE(w->objectName().toStdString());
        w->show(); // lays the navigation bar out
        QCoreApplication::processEvents();
        w->grid()->setCaption(ImportForm::kSaveErrorCaption); // the longest caption the grid gets
        for (QLabel* l : w->findChildren<QLabel*>()) {
            if (l->text().isEmpty())
                continue;
            EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width())
                << l->objectName().toStdString() << ": " << l->text().toStdString();
        }
        for (QPushButton* b : w->findChildren<QPushButton*>())
            EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()), b->width()) << b->text().toStdString();
        const int before = w->grid()->width();
        w->widenGrid();
        EXPECT_GT(w->grid()->width(), before);
        w->findChild<QAction*>(QStringLiteral("Kilepes"))->trigger();
        EXPECT_TRUE(w->exited());
        EXPECT_FALSE(w->staging().isOpen());
        EXPECT_FALSE(w->collection().isOpen());
    }
    EXPECT_EQ(inv->findChild<QLabel*>(QStringLiteral("Label1"))->text(), u(" - számlaszámra gyorskereső "));
    EXPECT_EQ(war->findChild<QLabel*>(QStringLiteral("Label1"))->text(), u(" - sorszámra gyorskereső "));
}

// Forwards to the scripted prompter and notes the colour of a button whenever a dialog is up.
class ColourWatch : public Prompter {
public:
    explicit ColourWatch(ScriptedPrompter& inner) : inner_(inner) {}
    Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override {
        note();
        return inner_.message(title, text, icon, buttons);
    }
    std::optional<QString> input(const QString& title, const QString& prompt, const QString& d) override {
        note();
        return inner_.input(title, prompt, d);
    }
    void beep() override { inner_.beep(); }
    void pointer(Pointer p) override { inner_.pointer(p); }
    QPushButton* watched = nullptr;
    std::vector<QColor> seen;

private:
    void note() {
        if (watched)
            seen.push_back(watched->palette().color(QPalette::Button));
    }
    ScriptedPrompter& inner_;
};

TEST_F(ImportTest, AButtonIsGreenWhileItsCommandRunsAndWhiteAfter) {
    ColourWatch watch(prompter);
    Session watched(watch, modal);
    watched.settings.FakturoNextPath = testData(QStringLiteral("fakturo"));
    SzamlaImportFormX w(watched);
    w.activate();
    const auto button = [&w](const char* name) {
        return w.findChild<QPushButton*>(QString::fromLatin1(name));
    };
    EXPECT_EQ(button("Command1")->palette().color(QPalette::Button), kIdleWhite);
    struct Case {
        const char* button;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"Command1",
         [&] {
             for (int i = 0; i < 6; ++i)
                 expectInvoicePrompt(i, i == Nyugta ? QStringLiteral("7") : QString());
             w.collect();
         }},
        {"Command2",
         [&] {
             prompter.expectMessage(msg::kFigyelemTorles,
                                    u("Biztosan véglegesen törli az adatsort (Delete)?"), Icon::Exclamation,
                                    Buttons::YesNo, Answer::No);
             w.deleteLine();
         }},
        {"Command4",
         [&] {
             prompter.expectMessage(msg::kFigyelemTorles,
                                    u("Biztosan véglegesen törli az összes adatot (Delete All)?"),
                                    Icon::Exclamation, Buttons::YesNo, Answer::No);
             w.deleteAll();
         }},
        {"Command3",
         [&] {
             expectTransferQuestion(Answer::Yes);
             w.transfer();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        watch.watched = button(c.button);
        watch.seen.clear();
        c.run();
        ASSERT_FALSE(watch.seen.empty());
        for (const QColor& colour : watch.seen)
            EXPECT_EQ(colour, kBusyGreen);
        EXPECT_EQ(button(c.button)->palette().color(QPalette::Button), kIdleWhite);
    }
    EXPECT_TRUE(w.exited());
}

TEST_F(ImportTest, ClosingByTheFrameRunsTheExitCommand) {
    openInvoiceFixture();
    inv->show();
    inv->close();
    EXPECT_TRUE(inv->exited());
    EXPECT_FALSE(inv->collection().isOpen());
}

// ---- from the main window
// ---------------------------------------------------------------------------------------------

TEST_F(ImportTest, MainWindowMenusOpenTheImportsAndTheLinesCanBeCited) {
    addRow(QStringLiteral("lapora.mdb"), QStringLiteral("Laporak"),
           {{u("Dátum"), Value::date(kToday)}, {u("CégNeve"), Value::text(u("Alfa Kft."))}});
    addRow(QStringLiteral("Parameter.lpb"), QStringLiteral("EmblemaPath"),
           {{u("FakturoNextPath"), Value::text(testData(QStringLiteral("fakturo")))},
            {u("KeverdaPath"), Value::text(testData(QStringLiteral("keverda")))}});
    session.endProgram = [] {};
    LaporaX main(session);
    expectNewRowQuestion(prompter);
    main.activate();

    modal.on(QStringLiteral("SzamlaImportFormX"), [this](QWidget* window) {
        auto* w = qobject_cast<SzamlaImportFormX*>(window);
        ASSERT_NE(w, nullptr);
        w->activate();
        for (int i = 0; i < 6; ++i)
            expectInvoicePrompt(i, i == Atutal ? QStringLiteral("1251") : QString());
        w->collect();
        expectTransferQuestion(Answer::Yes);
        w->findChild<QPushButton*>(QStringLiteral("Command3"))->click();
        EXPECT_TRUE(w->exited());
    });
    main.findChild<QAction*>(QStringLiteral("SzamlA"))->trigger();
    EXPECT_EQ(main.staging().recordCount(), 1);

    modal.on(QStringLiteral("TaroloImportFormX"), [this](QWidget* window) {
        auto* w = qobject_cast<TaroloImportFormX*>(window);
        ASSERT_NE(w, nullptr);
        w->activate();
        expectWarehousePrompt(Keverda, QStringLiteral("203"));
        w->collect();
        expectTransferQuestion(Answer::Yes);
        expectAppendQuestion(Answer::Yes);
        w->transfer();
    });
    main.findChild<QAction*>(QStringLiteral("RaktarbolAthoz"))->trigger();
    EXPECT_EQ(modal.shown, (QStringList{"SzamlaImportFormX", "TaroloImportFormX"}));
    ASSERT_EQ(main.staging().recordCount(), 2);

    // The staging grid stands on the first line; a double click cites it in the job sheet's description.
    QPlainTextEdit* text7 = main.findChild<QPlainTextEdit*>(QStringLiteral("Text7"));
    main.stagingCopy();
    EXPECT_EQ(text7->toPlainText(),
              u("Okmány sorszáma: 1251\nKazán éves karbantartása\nMennyiség: 2\nNettó: 200\n"
                "ÁFA: 27\nBruttó: 254\n"));
    main.staging().moveLast();
    main.stagingCopy();
    EXPECT_TRUE(
        text7->toPlainText().startsWith(u("Okmány sorszáma: 203\nFagyálló hűtőfolyadék -25 °C, kevert\n")));
}

} // namespace
