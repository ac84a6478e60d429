#include "JetFile.h"
#include "StoreError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <clocale>
#include <limits>
#include <map>

namespace lapora::jetdetail {
Value dateValue(double stored);           // JetFile.cpp
int storedDate(double stored, char* out); // JetFile.cpp
} // namespace lapora::jetdetail

using namespace lapora;

namespace {

using Rows = std::vector<std::vector<Value>>;

QString data(const QString& rel) {
    return QStringLiteral(LAPORA_TEST_DATA "/") + rel;
}

Rows readAll(const JetFile& f, const QString& table) {
    Rows rows;
    f.readRows(table, [&](const std::vector<Value>& r) { rows.push_back(r); });
    return rows;
}

int columnIndex(const std::vector<Column>& cols, const QString& name) {
    for (size_t i = 0; i < cols.size(); ++i) {
        if (cols[i].name == name)
            return int(i);
    }
    ADD_FAILURE() << "no field " << name.toStdString();
    return -1;
}

// A time of day stored on Jet's day 0: a date-time, whose date part is 1899-12-30.
Value dayZero(const QTime& t) {
    return Value::dateTime(QDateTime(QDate(1899, 12, 30), t));
}

std::string describe(const Value& v) {
    switch (v.type()) {
    case Value::Type::Null:
        return "Null";
    case Value::Type::Number:
        return "Number " + QString::number(v.asNumber(), 'g', 17).toStdString();
    case Value::Type::Text:
        return "Text \"" + v.asText().toStdString() + "\"";
    case Value::Type::Date:
        return "Date " + v.asDate().toString(Qt::ISODate).toStdString();
    case Value::Type::Time:
        return "Time " + v.asTime().toString(Qt::ISODate).toStdString();
    case Value::Type::DateTime:
        return "DateTime " + v.asDateTime().toString(Qt::ISODate).toStdString();
    case Value::Type::Bool:
        return v.asBool() ? "Bool true" : "Bool false";
    }
    return "?";
}

// Opened files and read tables, shared by the table-driven tests so each file is read once.
class Fixtures {
public:
    const JetFile& file(const QString& rel) {
        auto& f = files_[rel];
        if (!f)
            f = JetFile::open(data(rel));
        return *f;
    }
    const Rows& rows(const QString& rel, const QString& table) {
        const QString key = rel + "|" + table;
        auto it = rows_.find(key);
        if (it == rows_.end())
            it = rows_.emplace(key, readAll(file(rel), table)).first;
        return it->second;
    }

private:
    std::map<QString, std::unique_ptr<JetFile>> files_;
    std::map<QString, Rows> rows_;
};

// mdb-export -T '%Y-%m-%d %H:%M:%S' -0 NULL fakturo/LFAKT.MDB ATUTAL, verbatim.
const char* const kAtutalExport =
    R"csv(VEVONEV,VEVOSZEKH,VEVOIRSZAM,vevocim,VEVOADOSZ,VEVOSZMLSZ,JOVEDEKENG,ETK_SZAM,SZAMLSZEKH,SZAMLIRSZ,SZAMLACIM,MUKENG,FIZ_MOD,TELJ_DATUM,SZML_KELTE,ESEDEKES,SZAMLASOR,SZALLITOLE,ARUKOD,MEGNEVEZES,ETK,SZJ,AFA,MENNY_EGYS,MENNYISEG,NETTO_EGYS,ENGEDMENY,ELADASIAR,NETTO_ERTE,OSSZ_NETTO,AFA_ERTEK,BRUTTO,VEGOSSZEG,AZAZ,AZONOSITO,VEDELEM,VISSZARU,GONGYOLEG,JOVEDEKADO,FOGYASZTOA,ITALFAJTA,MEGJEGYZ1,MEGJEGYZ2,MEGJEGYZ3,SZALLLEVEL,BOLT_FAJTA,BOLT_KOD,KIEGYENLIT,KIEGYENDAT,KIEGYENOSZ,STORNO,SZAMLASORS,PENZNEM,TAM,AKCIOS,VEVOKOD,Rekord,CimTelefon,CimFax,CimMobil,ReszKiegyenlites,ReszkiegyenlitesTeljOsszeg,TételSorszám,AzonositoTetelekhez,SzamlazasiIdoszak,BESZNETTO,TetelMegjegyzes,EgységnyiSúly,TermékdíjTétel,TermékdíjKód,KVTDÖsszeg,Árfolyam,ÁFAFt,Cikkszám,Tizedes,Dijbekérö,DijbekéröSorszám,KVTDAdónemKód,KVTDKedvezmény,DarabszámCsomagban,Sorszam,HozzaAdott
"O'Brien ""Gépész"" Bt.","Győr","9022","Baross Gábor út 7.","34567890-1-08","10918001-00000045-67890007",NULL,NULL,"Győr","9022","Baross Gábor út 7.",NULL,"átutalás","2013-06-07 00:00:00","2013-06-10 00:00:00","2013-06-18 00:00:00",1249,NULL,NULL,"Fűtési rendszer nyomáspróbája",NULL,"45.33.11",27,"alkalom",1,15000,0,19050,15000,15000,4050,19050,19050,"Tizenkilencezer-ötven forint","AT-1249/2013",NULL,NULL,NULL,0,0,NULL,NULL,NULL,NULL,NULL,NULL,NULL,"I","2013-06-17 00:00:00",19050,0,"001249","HUF",NULL,0,"V0031",1,"06-96-512-300",NULL,"06-70-222-3344",NULL,0,1,"AT-1249/2013/1",NULL,0,NULL,0,"N",NULL,0,1,4050,NULL,0,"N",NULL,NULL,0,1,1,0
"Dunántúli Vízművek Zrt.","Pécs","7621","Király u. 31/B.","56789012-2-02","11731001-20587412",NULL,NULL,"Pécs","7621","Király u. 31/B.",NULL,"átutalás","2013-06-11 00:00:00","2013-06-12 00:00:00","2013-06-27 00:00:00",1250,NULL,"SZ-0412","Szivattyú csere",NULL,NULL,27,"db",2,42000,0,53340,84000,98400,22680,106680,121800,"Százhuszonegyezer-nyolcszáz forint","AT-1250/2013",NULL,NULL,NULL,0,0,NULL,"Szerződésszám: DVM-2013/044. Kérjük, utaláskor a számla sorszámát tüntesse fel.",NULL,NULL,NULL,NULL,NULL,"N",NULL,0,0,"001250","HUF",NULL,0,"V0003",2,"06-72-512-800","06-72-512-801","06-30-456-7788",NULL,0,1,"AT-1250/2013/1","2013.06.01-2013.06.30",29800,NULL,2.6,"N",NULL,0,1,22680,"SZ-0412",0,"N",NULL,NULL,0,1,2,0
"Dunántúli Vízművek Zrt.","Pécs","7621","Király u. 31/B.","56789012-2-02","11731001-20587412",NULL,NULL,"Pécs","7621","Király u. 31/B.",NULL,"átutalás","2013-06-11 00:00:00","2013-06-12 00:00:00","2013-06-27 00:00:00",1250,NULL,"KK-005","Kezelési kézikönyv (nyomtatott)",NULL,NULL,5,"db",12,1200,0,1260,14400,98400,720,15120,121800,"Százhuszonegyezer-nyolcszáz forint","AT-1250/2013",NULL,NULL,NULL,0,0,NULL,"Szerződésszám: DVM-2013/044. Kérjük, utaláskor a számla sorszámát tüntesse fel.",NULL,NULL,NULL,NULL,NULL,"N",NULL,0,0,"001250","HUF",NULL,0,"V0003",3,"06-72-512-800","06-72-512-801","06-30-456-7788",NULL,0,2,"AT-1250/2013/2","2013.06.01-2013.06.30",800,NULL,0,"N",NULL,0,1,720,"KK-005",0,"N",NULL,NULL,0,1,3,0
"Gruber Haustechnik Hungária Kft.","Sopron","9400","Ógabona tér 3.","67890123-2-08","12600016-10234567-00000000",NULL,NULL,"Sopron","9400","Ógabona tér 3.",NULL,"átutalás","2013-06-13 00:00:00","2013-06-14 00:00:00","2013-06-29 00:00:00",1251,NULL,NULL,"Kazán éves karbantartása",NULL,"45.33.11",27,"alkalom",2,100,0,127,200,200,54,254,254,"Kétszázötvennégy euró","AT-1251/2013",NULL,NULL,NULL,0,0,NULL,NULL,"Árfolyam: MNB 296,91 Ft/EUR",NULL,NULL,NULL,NULL,"N",NULL,0,0,"001251","EUR",NULL,0,"V0044",4,"06-99-312-450",NULL,"06-30-777-1200",NULL,0,1,"AT-1251/2013/1",NULL,0,NULL,0,"N",NULL,0,296.91,16033,NULL,2,"N",NULL,NULL,0,1,4,0
)csv";

// One line of mdb-export's CSV: text is quoted with doubled quotes, NULL and numbers are bare.
QStringList splitExportLine(const QString& line) {
    QStringList out;
    QString cell;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
                cell += '"';
            } else {
                cell += c;
            }
        } else if (c == ',') {
            out << cell;
            cell.clear();
        } else {
            if (c == '"')
                quoted = true;
            cell += c;
        }
    }
    out << cell;
    return out;
}

// A value written the way mdb-export writes it, so the two can be compared cell by cell.
QString exportForm(const Value& v) {
    const auto quote = [](const QString& s) { return '"' + s + '"'; };
    switch (v.type()) {
    case Value::Type::Null:
        return QStringLiteral("NULL");
    case Value::Type::Number:
        return QString::number(v.asNumber(), 'g', 16);
    case Value::Type::Text:
        return quote(v.asText());
    case Value::Type::Date:
        return quote(v.asDate().toString(QStringLiteral("yyyy-MM-dd")) + " 00:00:00");
    case Value::Type::Time:
        return quote("1899-12-30 " + v.asTime().toString(QStringLiteral("HH:mm:ss")));
    case Value::Type::DateTime:
        return quote(v.asDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    case Value::Type::Bool:
        return v.asBool() ? QStringLiteral("1") : QStringLiteral("0");
    }
    return {};
}

// Copy of a fixture in a scratch folder, for tests that damage it.
QString copyOf(const QTemporaryDir& dir, const QString& rel, const QString& name) {
    const QString to = dir.filePath(name);
    EXPECT_TRUE(QFile::copy(data(rel), to));
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    return to;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

QString writeSqlite(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("store.sqlite"));
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(
        sqlite3_exec(db, "CREATE TABLE t(a TEXT); INSERT INTO t VALUES('x');", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    return path;
}

} // namespace

TEST(JetFile, LooksLikeJetReadsOnlyTheHeader) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        QString path;
        bool jet;
    } cases[] = {
        {data("fakturo/LFAKT.MDB"), true},
        {data("legacy/lapora.mdb"), true},
        {data("legacy/Parameter.lpb"), true},
        {data("corrupt/truncated.mdb"), true}, // the header survives; opening fails later
        {data("corrupt/flipped.mdb"), true},
        {data("corrupt/garbage.mdb"), false},
        {writeSqlite(dir), false},
        {writeFile(dir, "notes.txt", "Standard Jet DB, said the note\n"), false}, // text at offset 0, not 4
        {writeFile(dir, "short.mdb", QByteArray("\0\1\0\0Standard Jet", 16)), false},
        {writeFile(dir, "empty.mdb", {}), false},
        {dir.filePath("missing.mdb"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(JetFile::looksLikeJet(c.path), c.jet);
    }
}

TEST(JetFile, OpenFailsOnFilesThatCannotBeRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString paths[] = {
        data("corrupt/garbage.mdb"),
        data("corrupt/truncated.mdb"),
        data("corrupt/catalog-map-1.mdb"), // these two crash the Jet library in the reader process
        data("corrupt/catalog-map-2.mdb"),
        writeSqlite(dir),
        writeFile(dir, "notes.txt", "just some text\n"),
        writeFile(dir, "empty.mdb", {}),
        dir.filePath("missing.mdb"),
    };
    for (const QString& p : paths) {
        SCOPED_TRACE(p.toStdString());
        EXPECT_THROW(JetFile::open(p), StoreError);
    }
}

TEST(JetFile, TableNamesAreUserTablesInCatalogOrder) {
    const struct {
        QString file;
        QStringList tables;
    } cases[] = {
        {"fakturo/LFAKT.MDB", {"SZAMLA", "ATUTAL", "UTANVET", "NYUGTA", "SZALLITO", "SZAMLAHE"}},
        {"fakturo-missing-table/LFAKT.MDB", {"SZAMLA", "ATUTAL", "UTANVET", "NYUGTA", "SZALLITO"}},
        {"legacy/lapora.mdb",
         {"Laporak", "Címzett", "Orszagjel", "SzamlaAthozat", "OsszesSzamlaLPM", "RAKTARKIVET"}},
        {"legacy/Regiszt.lpb", {"Regisztrálás"}},
        {"tarolo-notable/TAROLO.LPB", {"BEVET"}},
        {"corrupt/flipped.mdb", {"SZAMLA", "ATUTAL", "UTANVET", "NYUGTA", "SZALLITO", "SZAMLAHE"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        EXPECT_EQ(JetFile::open(data(c.file))->tableNames(), c.tables);
    }
}

TEST(JetFile, ColumnsOfTheInvoiceLayout) {
    // The export's header line lists the fields in stored order.
    const QStringList names = splitExportLine(QString::fromUtf8(kAtutalExport).section('\n', 0, 0));
    // Every field not listed here is Text(50).
    struct Kind {
        ColumnType type;
        int size;
    };
    const std::map<int, Kind> others = {
        {13, {ColumnType::DateTime, 0}}, {14, {ColumnType::DateTime, 0}}, {15, {ColumnType::DateTime, 0}},
        {16, {ColumnType::Integer, 0}},  {22, {ColumnType::Number, 0}},   {24, {ColumnType::Number, 0}},
        {25, {ColumnType::Number, 0}},   {26, {ColumnType::Number, 0}},   {27, {ColumnType::Number, 0}},
        {28, {ColumnType::Number, 0}},   {29, {ColumnType::Number, 0}},   {30, {ColumnType::Number, 0}},
        {31, {ColumnType::Number, 0}},   {32, {ColumnType::Number, 0}},   {33, {ColumnType::Text, 255}},
        {38, {ColumnType::Number, 0}},   {39, {ColumnType::Number, 0}},   {41, {ColumnType::LongText, 0}},
        {48, {ColumnType::DateTime, 0}}, {49, {ColumnType::Number, 0}},   {50, {ColumnType::Bool, 0}},
        {54, {ColumnType::Bool, 0}},     {56, {ColumnType::Integer, 0}},  {61, {ColumnType::Number, 0}},
        {62, {ColumnType::Integer, 0}},  {65, {ColumnType::Number, 0}},   {67, {ColumnType::Number, 0}},
        {70, {ColumnType::Number, 0}},   {71, {ColumnType::Number, 0}},   {72, {ColumnType::Number, 0}},
        {74, {ColumnType::Number, 0}},   {78, {ColumnType::Number, 0}},   {79, {ColumnType::Number, 0}},
        {80, {ColumnType::Integer, 0}},  {81, {ColumnType::Bool, 0}},
    };
    ASSERT_EQ(names.size(), 82);

    const auto file = JetFile::open(data("fakturo/LFAKT.MDB"));
    const std::vector<Column> cols = file->columns("ATUTAL");
    ASSERT_EQ(cols.size(), 82u);
    for (int i = 0; i < 82; ++i) {
        SCOPED_TRACE(i);
        const auto it = others.find(i);
        const Kind want = it == others.end() ? Kind{ColumnType::Text, 50} : it->second;
        EXPECT_EQ(cols[i].name, names[i]);
        EXPECT_EQ(cols[i].type, want.type);
        EXPECT_EQ(cols[i].size, want.size);
    }

    // The table name is matched without regard to case.
    const std::vector<Column> lower = file->columns("atutal");
    ASSERT_EQ(lower.size(), cols.size());
    for (size_t i = 0; i < cols.size(); ++i)
        EXPECT_EQ(lower[i].name, cols[i].name);
}

TEST(JetFile, ColumnsOfOlderLayouts) {
    const struct {
        QString file;
        QString table;
        QString column;
        ColumnType type;
        int size;
    } cases[] = {
        {"legacy/lapora.mdb", "Laporak", "Dátum", ColumnType::DateTime, 0},
        {"legacy/lapora.mdb", "Laporak", "Idő", ColumnType::DateTime, 0},
        {"legacy/lapora.mdb", "Laporak", "ElvégzettMunka", ColumnType::Text, 200},
        {"legacy/lapora.mdb", "Laporak", "MunkalapSzáma", ColumnType::Text, 5},
        {"legacy/lapora.mdb", "Laporak", "Szoveg", ColumnType::LongText, 0},
        {"legacy/lapora.mdb", "Laporak", "Munkaóra", ColumnType::Number, 0},
        {"legacy/lapora.mdb", "LAPORAK", "RegiMezo", ColumnType::Text, 20},
        {"legacy/lapora.mdb", "CÍMZETT", "recordID", ColumnType::Integer, 0},
        {"legacy/lapora.mdb", "címzett", "CimIrszam", ColumnType::Text, 6},
        {"legacy/Regiszt.lpb", "Regisztrálás", "JogosultságiSzint", ColumnType::Integer, 0},
        {"legacy/Parameter.lpb", "EmblemaPath", "ÁllandóSzöveg", ColumnType::LongText, 0},
        {"tarolo/TAROLO.LPB", "KIVET", "Devizanem", ColumnType::Text, 3},
        {"tarolo/TAROLO.LPB", "kivet", "SZAMLAZVA", ColumnType::Bool, 0},
    };
    Fixtures fx;
    for (const auto& c : cases) {
        SCOPED_TRACE((c.file + " " + c.table + "." + c.column).toStdString());
        const std::vector<Column> cols = fx.file(c.file).columns(c.table);
        const int i = columnIndex(cols, c.column);
        ASSERT_GE(i, 0);
        EXPECT_EQ(cols[i].type, c.type);
        EXPECT_EQ(cols[i].size, c.size);
    }
    EXPECT_EQ(fx.file("legacy/lapora.mdb").columns("Laporak").size(), 16u);
    EXPECT_EQ(fx.file("tarolo-nosorszam/TAROLO.LPB").columns("KIVET").size(), 28u);
}

TEST(JetFile, RowCountsAndWidths) {
    const struct {
        QString file;
        QString table;
        size_t rows;
    } cases[] = {
        {"fakturo/LFAKT.MDB", "SZAMLA", 6},          {"fakturo/LFAKT.MDB", "ATUTAL", 4},
        {"fakturo/LFAKT.MDB", "UTANVET", 2},         {"fakturo/LFAKT.MDB", "NYUGTA", 2},
        {"fakturo/LFAKT.MDB", "SZALLITO", 3},        {"fakturo/LFAKT.MDB", "SZAMLAHE", 2},
        {"fakturo-empty/LFAKT.MDB", "SZAMLA", 6},    {"fakturo-empty/LFAKT.MDB", "ATUTAL", 0},
        {"fakturo-empty/LFAKT.MDB", "SZAMLAHE", 0},  {"fakturo-missing-table/LFAKT.MDB", "SZALLITO", 3},
        {"legacy/lapora.mdb", "Laporak", 12},        {"legacy/lapora.mdb", "Címzett", 5},
        {"legacy/lapora.mdb", "Orszagjel", 5},       {"legacy/lapora.mdb", "SzamlaAthozat", 3},
        {"legacy/lapora.mdb", "OsszesSzamlaLPM", 2}, {"legacy/lapora.mdb", "RAKTARKIVET", 2},
        {"legacy/Parameter.lpb", "EmblemaPath", 1},  {"legacy/Regiszt.lpb", "Regisztrálás", 20},
        {"tarolo/TAROLO.LPB", "KIVET", 6},           {"adorak/TAROLO.LPB", "KIVET", 5},
        {"keverda/TAROLO.LPB", "KIVET", 4},          {"tarolo-nosorszam/TAROLO.LPB", "KIVET", 2},
        {"tarolo-notable/TAROLO.LPB", "BEVET", 1},   {"corrupt/flipped.mdb", "ATUTAL", 4},
        {"corrupt/flipped.mdb", "NYUGTA", 2},        {"corrupt/flipped.mdb", "SZAMLAHE", 2},
    };
    Fixtures fx;
    for (const auto& c : cases) {
        SCOPED_TRACE((c.file + " " + c.table).toStdString());
        const Rows& rows = fx.rows(c.file, c.table);
        EXPECT_EQ(rows.size(), c.rows);
        const size_t width = fx.file(c.file).columns(c.table).size();
        for (const auto& r : rows)
            EXPECT_EQ(r.size(), width);
    }
}

TEST(JetFile, AtutalMatchesTheExport) {
    const QStringList lines = QString::fromUtf8(kAtutalExport).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    const auto file = JetFile::open(data("fakturo/LFAKT.MDB"));
    const QStringList header = splitExportLine(lines[0]);

    const Rows rows = readAll(*file, "ATUTAL");
    ASSERT_EQ(rows.size(), 4u);
    for (size_t r = 0; r < rows.size(); ++r) {
        const QStringList want = splitExportLine(lines[r + 1]);
        ASSERT_EQ(want.size(), qsizetype(rows[r].size()));
        for (size_t c = 0; c < rows[r].size(); ++c) {
            SCOPED_TRACE("row " + std::to_string(r) + " " + header[c].toStdString());
            EXPECT_EQ(exportForm(rows[r][c]), want[c]);
        }
    }
}

TEST(JetFile, ValuesKeepTheirKind) {
    struct Case {
        QString file;
        QString table;
        size_t row;
        QString column;
        Value want;
    };
    const QString crlfText =
        QStringLiteral("Keringető szivattyú cseréje.\r\nA régi szivattyú csapágyhibás volt.\r\n"
                       "Beépítve: Wilo Star-RS 25/6, gyári szám: 0412-3345.\r\n"
                       "Nyomáspróba 2,5 bar, rendben.");
    const std::vector<Case> cases = {
        // Invoices: accents, quotes, dates at midnight, decimals, signs, yes/no, Null.
        {"fakturo/LFAKT.MDB", "ATUTAL", 0, "VEVONEV", Value::text(QStringLiteral("O'Brien \"Gépész\" Bt."))},
        {"fakturo/LFAKT.MDB", "ATUTAL", 0, "TELJ_DATUM", Value::date(QDate(2013, 6, 7))},
        {"fakturo/LFAKT.MDB", "ATUTAL", 0, "KIEGYENDAT", Value::date(QDate(2013, 6, 17))},
        {"fakturo/LFAKT.MDB", "ATUTAL", 1, "KIEGYENDAT", Value()},
        {"fakturo/LFAKT.MDB", "ATUTAL", 1, "EgységnyiSúly", Value::number(2.6)},
        {"fakturo/LFAKT.MDB", "ATUTAL", 2, "AFA", Value::number(5)},
        {"fakturo/LFAKT.MDB", "ATUTAL", 3, "Árfolyam", Value::number(296.91)},
        {"fakturo/LFAKT.MDB", "ATUTAL", 3, "ÁFAFt", Value::number(16033)},
        {"fakturo/LFAKT.MDB", "ATUTAL", 3, "SZAMLASOR", Value::number(1251)},
        {"fakturo/LFAKT.MDB", "ATUTAL", 3, "MEGJEGYZ2",
         Value::text(QStringLiteral("Árfolyam: MNB 296,91 Ft/EUR"))},
        {"fakturo/LFAKT.MDB", "ATUTAL", 0, "STORNO", Value::boolean(false)},
        {"fakturo/LFAKT.MDB", "ATUTAL", 2, "TételSorszám", Value::number(2)},
        {"fakturo/LFAKT.MDB", "SZAMLA", 5, "STORNO", Value::boolean(true)},
        {"fakturo/LFAKT.MDB", "SZAMLA", 5, "MENNYISEG", Value::number(-1)},
        {"fakturo/LFAKT.MDB", "SZAMLA", 5, "BRUTTO", Value::number(-12446)},
        {"fakturo/LFAKT.MDB", "SZAMLA", 4, "MENNYISEG", Value::number(2.5)},
        {"fakturo/LFAKT.MDB", "SZAMLA", 2, "VEVONEV",
         Value::text(QStringLiteral("Árvíztűrő Tükörfúrógép Kft."))},
        {"fakturo/LFAKT.MDB", "SZAMLA", 2, "MEGJEGYZ2",
         Value::text(QStringLiteral("ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP"))},
        {"fakturo/LFAKT.MDB", "NYUGTA", 0, "TELJ_DATUM", Value()},
        {"fakturo/LFAKT.MDB", "NYUGTA", 1, "VEVOSZEKH", Value()},
        {"fakturo/LFAKT.MDB", "SZAMLAHE", 0, "DijbekéröSorszám", Value::text(QStringLiteral("DB-90/2013"))},
        // Time-only values keep their day (day 0), dates at midnight come out as dates.
        {"legacy/lapora.mdb", "Laporak", 0, "Dátum", Value::date(QDate(2012, 2, 14))},
        {"legacy/lapora.mdb", "Laporak", 0, "Idő", dayZero(QTime(8, 30))},
        {"legacy/lapora.mdb", "Laporak", 11, "Idő", dayZero(QTime(16, 5))},
        {"legacy/lapora.mdb", "Laporak", 1, "Munkaóra", Value::number(3.5)},
        {"legacy/lapora.mdb", "Laporak", 5, "NettóÁr", Value()},
        {"legacy/lapora.mdb", "Laporak", 5, "Munkaóra", Value()},
        {"legacy/lapora.mdb", "Laporak", 11, "CégNeve", Value()},
        {"legacy/lapora.mdb", "Laporak", 11, "ÁFA", Value::number(25)},
        {"legacy/lapora.mdb", "Laporak", 4, "Szoveg", Value::text(crlfText)},
        {"legacy/lapora.mdb", "Laporak", 10, "Szoveg",
         Value::text(QStringLiteral("8 db termosztatikus szelep cseréje az \u201EA\u201D épületben."))},
        {"legacy/lapora.mdb", "Laporak", 2, "Szoveg", Value()},
        {"legacy/lapora.mdb", "Címzett", 4, "Kapcsolattartó", Value::text(QStringLiteral("Ürmös Győző"))},
        {"legacy/lapora.mdb", "Címzett", 2, "CimFax", Value()},
        {"legacy/lapora.mdb", "SzamlaAthozat", 0, "recordID", Value::text(QStringLiteral("20135738425,12"))},
        {"legacy/lapora.mdb", "SzamlaAthozat", 2, "Devizanem", Value::text(QString(""))},
        {"legacy/lapora.mdb", "SzamlaAthozat", 2, "FizetésMódja", Value::text(QString(""))},
        {"legacy/lapora.mdb", "SzamlaAthozat", 2, "Adatfelvetel", Value::date(QDate(2013, 5, 7))},
        {"legacy/lapora.mdb", "SzamlaAthozat", 0, "BankiKivonatSzáma", Value()},
        // Zero-length text stays apart from Null.
        {"legacy/Parameter.lpb", "EmblemaPath", 0, "KeverdaPath", Value::text(QString(""))},
        {"legacy/Parameter.lpb", "EmblemaPath", 0, "InterfacePath", Value()},
        {"legacy/Parameter.lpb", "EmblemaPath", 0, "EmblemaFajl",
         Value::text(QStringLiteral("C:\\LAPORA\\embléma.bmp"))},
        {"legacy/Regiszt.lpb", "Regisztrálás", 0, "Felhasználó", Value::text(QString(""))},
        {"legacy/Regiszt.lpb", "Regisztrálás", 0, "AkcióDátuma", Value::date(QDate(2013, 3, 4))},
        {"legacy/Regiszt.lpb", "Regisztrálás", 0, "AkcióIdeje", dayZero(QTime(8, 2, 11))},
        {"legacy/Regiszt.lpb", "Regisztrálás", 19, "AkcióIdeje", dayZero(QTime(17, 2, 33))},
        {"legacy/Regiszt.lpb", "Regisztrálás", 10, "Akció", Value::text(QStringLiteral("Törlés (adatsor)"))},
        {"legacy/Regiszt.lpb", "Regisztrálás", 19, "Számlaszám", Value::number(0)},
        // Warehouse: Sorszám key, EUR row, Null date.
        {"tarolo/TAROLO.LPB", "KIVET", 5, "Sorszám", Value::number(6)},
        {"tarolo/TAROLO.LPB", "KIVET", 5, "NettoDevizaEgységár", Value::number(4.88)},
        {"tarolo/TAROLO.LPB", "KIVET", 5, "BruttoDevizaEgységár", Value::number(6.2)},
        {"tarolo/TAROLO.LPB", "KIVET", 2, "KIDATUM", Value()},
        {"tarolo/TAROLO.LPB", "KIVET", 0, "SZAMLAZVA", Value::boolean(true)},
        {"tarolo/TAROLO.LPB", "KIVET", 2, "SZAMLAZVA", Value::boolean(false)},
        {"adorak/TAROLO.LPB", "KIVET", 1, "Megjegyzes",
         Value::text(QStringLiteral("Jövedéki termék.\r\nA jövedéki adó a nettó értékben benne van."))},
        {"adorak/TAROLO.LPB", "KIVET", 4, "Megjegyzes", Value::text(QString(""))},
        {"adorak/TAROLO.LPB", "KIVET", 2, "Megjegyzes", Value()},
        {"keverda/TAROLO.LPB", "KIVET", 3, "ReceptNev",
         Value::text(QStringLiteral("G12 koncentrátum : víz = 1 : 1"))},
        {"keverda/TAROLO.LPB", "KIVET", 3, "Keszito", Value()},
    };
    Fixtures fx;
    for (const Case& c : cases) {
        SCOPED_TRACE(
            (c.file + " " + c.table + " row " + QString::number(c.row) + " " + c.column).toStdString());
        const Rows& rows = fx.rows(c.file, c.table);
        ASSERT_LT(c.row, rows.size());
        const int i = columnIndex(fx.file(c.file).columns(c.table), c.column);
        ASSERT_GE(i, 0);
        const Value& got = rows[c.row][i];
        EXPECT_TRUE(got == c.want) << "got " << describe(got) << ", want " << describe(c.want);
    }
}

TEST(JetFile, LongMemoIsReadWhole) {
    const auto file = JetFile::open(data("fakturo/LFAKT.MDB"));
    const Rows rows = readAll(*file, "SZAMLA");
    ASSERT_EQ(rows.size(), 6u);
    const int i = columnIndex(file->columns("SZAMLA"), "MEGJEGYZ1");
    ASSERT_GE(i, 0);
    const Value& memo = rows[2][i];
    ASSERT_EQ(memo.type(), Value::Type::Text);
    const QString s = memo.asText();
    EXPECT_EQ(s.size(), 1109);
    EXPECT_EQ(s.count(QStringLiteral("\r\n")), 4);
    EXPECT_TRUE(s.startsWith(
        QStringLiteral("Szivattyú csere a kazánházban, a megrendelő 2013.02.27-i bejelentése alapján.")));
    EXPECT_TRUE(s.endsWith(QStringLiteral("Köszönjük megrendelését!")));
}

TEST(JetFile, NumbersDoNotDependOnTheCLocale) {
    struct Restore {
        std::string name = std::setlocale(LC_NUMERIC, nullptr);
        ~Restore() { std::setlocale(LC_NUMERIC, name.c_str()); }
    } restore;
    if (!std::setlocale(LC_NUMERIC, "hu_HU.UTF-8"))
        GTEST_SKIP() << "hu_HU.UTF-8 is not installed";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    const auto file = JetFile::open(data("fakturo/LFAKT.MDB"));
    const Rows rows = readAll(*file, "ATUTAL");
    const std::vector<Column> cols = file->columns("ATUTAL");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3][columnIndex(cols, "Árfolyam")].asNumber(), 296.91);
    EXPECT_EQ(rows[1][columnIndex(cols, "EgységnyiSúly")].asNumber(), 2.6);
}

TEST(JetFile, ReadingAgainGivesTheSameRows) {
    const auto file = JetFile::open(data("fakturo/LFAKT.MDB"));
    const Rows first = readAll(*file, "SZAMLA");
    const Rows other = readAll(*file, "ATUTAL");
    const Rows again = readAll(*file, "szamla");
    EXPECT_EQ(other.size(), 4u);
    ASSERT_EQ(first.size(), 6u);
    EXPECT_TRUE(first == again);
}

TEST(JetFile, MissingTableFails) {
    const struct {
        QString file;
        QString table;
    } cases[] = {
        {"fakturo-missing-table/LFAKT.MDB", "SZAMLAHE"},
        {"fakturo/LFAKT.MDB", "NINCSILYEN"},
        {"fakturo/LFAKT.MDB", "MSysObjects"}, // system tables are not offered
        {"tarolo-notable/TAROLO.LPB", "KIVET"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.file + " " + c.table).toStdString());
        const auto file = JetFile::open(data(c.file));
        int calls = 0;
        EXPECT_THROW(file->readRows(c.table, [&](const std::vector<Value>&) { ++calls; }), StoreError);
        EXPECT_EQ(calls, 0);
        EXPECT_THROW(file->columns(c.table), StoreError);
    }
}

TEST(JetFile, DamagedTableDefinitionFailsOnlyThatTable) {
    const auto file = JetFile::open(data("corrupt/flipped.mdb"));
    EXPECT_THROW(readAll(*file, "SZAMLA"), StoreError);
    EXPECT_THROW(file->columns("SZAMLA"), StoreError);

    const Rows rows = readAll(*file, "ATUTAL");
    ASSERT_EQ(rows.size(), 4u);
    const int name = columnIndex(file->columns("ATUTAL"), "VEVONEV");
    const QString names[] = {"O'Brien \"Gépész\" Bt.", "Dunántúli Vízművek Zrt.", "Dunántúli Vízművek Zrt.",
                             "Gruber Haustechnik Hungária Kft."};
    for (size_t r = 0; r < 4; ++r)
        EXPECT_EQ(rows[r][name].asText(), names[r]);
}

// A row libmdb cannot take apart is skipped without a word; the table's row count gives it away.
TEST(JetFile, RowThatCannotBeReadFailsTheTable) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = copyOf(dir, "fakturo/LFAKT.MDB", "LFAKT.MDB");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();

    // The ATUTAL row holding this text (stored compressed, one byte a character) gets an impossible
    // field count, so libmdb can no longer crack it.
    const qsizetype hit = bytes.indexOf("AT-1251/2013/1");
    ASSERT_GT(hit, 0);
    const qsizetype page = hit / 4096 * 4096;
    auto u16 = [&](qsizetype at) { return int(quint8(bytes[at])) | int(quint8(bytes[at + 1])) << 8; };
    ASSERT_EQ(bytes[page], 0x01); // a data page
    const int rowCount = u16(page + 12);
    int rowStart = -1;
    for (int r = 0, end = 4096; r < rowCount; ++r) {
        const int start = u16(page + 14 + 2 * r) & 0x1fff;
        if (hit - page >= start && hit - page < end)
            rowStart = start;
        end = start;
    }
    ASSERT_GE(rowStart, 0);
    bytes[page + rowStart] = char(0xff);
    bytes[page + rowStart + 1] = char(0xff);
    ASSERT_TRUE(f.seek(0));
    ASSERT_EQ(f.write(bytes), bytes.size());
    f.close();

    const auto file = JetFile::open(path);
    EXPECT_THROW(readAll(*file, "ATUTAL"), StoreError);
    EXPECT_EQ(readAll(*file, "SZAMLA").size(), 6u);
}

TEST(JetFile, DateValuesFollowTheJetCalendar) {
    // The value, and the text the in-memory copy of a Jet table stores for it.
    const struct {
        double stored;
        Value want;
        const char* text;
    } cases[] = {
        {0.0, dayZero(QTime(0, 0)), "1899-12-30"},
        {8.5 / 24, dayZero(QTime(8, 30)), "1899-12-30 08:30:00"},
        {0.999988425925926, dayZero(QTime(23, 59, 59)), "1899-12-30 23:59:59"},
        {0.3541666, dayZero(QTime(8, 30)), "1899-12-30 08:30:00"}, // a hair before 08:30 rounds to the second
        {0.99999999, Value::date(QDate(1899, 12, 31)),
         "1899-12-31"}, // rounds past midnight into the next day
        {1.0, Value::date(QDate(1899, 12, 31)), "1899-12-31"},
        {2.75, Value::dateTime(QDateTime(QDate(1900, 1, 1), QTime(18, 0))), "1900-01-01 18:00:00"},
        {60.0, Value::date(QDate(1900, 2, 28)), "1900-02-28"}, // 1900 is no leap year
        {61.0, Value::date(QDate(1900, 3, 1)), "1900-03-01"},
        {36585.0, Value::date(QDate(2000, 2, 29)), "2000-02-29"}, // 2000 is one
        {36586.0 + 1.0 / 86400, Value::dateTime(QDateTime(QDate(2000, 3, 1), QTime(0, 0, 1))),
         "2000-03-01 00:00:01"},
        {41437.0, Value::date(QDate(2013, 6, 12)), "2013-06-12"},
        {41437.5, Value::dateTime(QDateTime(QDate(2013, 6, 12), QTime(12, 0))), "2013-06-12 12:00:00"},
        // Before the zero day the fraction still counts forward from midnight.
        {-1.0, Value::date(QDate(1899, 12, 29)), "1899-12-29"},
        {-1.25, Value::dateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), "1899-12-29 06:00:00"},
        {-0.5, dayZero(QTime(12, 0)), "1899-12-30 12:00:00"},
        {-36522.0, Value::date(QDate(1800, 1, 1)), "1800-01-01"},
        {-109512.75, Value::dateTime(QDateTime(QDate(1600, 2, 29), QTime(18, 0))), "1600-02-29 18:00:00"},
        {-657434.0, Value::date(QDate(100, 1, 1)), "0100-01-01"},
        {2958465.999988426, Value::dateTime(QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59))),
         "9999-12-31 23:59:59"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        const Value got = jetdetail::dateValue(c.stored);
        EXPECT_TRUE(got == c.want) << "got " << describe(got) << ", want " << describe(c.want);
        char text[20];
        EXPECT_EQ(std::string(text, size_t(jetdetail::storedDate(c.stored, text))), c.text);
    }

    const double damaged[] = {std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(), -657435.0, 2958466.0, 1e300};
    for (double d : damaged) {
        SCOPED_TRACE(d);
        EXPECT_THROW(jetdetail::dateValue(d), StoreError);
        char text[20];
        EXPECT_THROW(jetdetail::storedDate(d, text), StoreError);
    }
}

// The reader runs in a process of its own; whatever that process does, this one sees a failed read and
// carries on. Stand-in readers: shell scripts around the real one.
TEST(JetFile, ReaderThatCrashesHangsOrTalksNonsenseFailsTheRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString real = JetFile::readerPath();
    ASSERT_TRUE(QFileInfo(real).isExecutable()) << real.toStdString();
    const struct {
        const char* what;
        const char* script; // $R is the real reader
        bool catalogFails;  // already opening fails (else only reading the rows)
    } cases[] = {
        {"killed by a signal", "kill -SEGV $$", true},
        {"hangs", "exec sleep 30", true},
        {"hangs after the catalog",
         "[ $# -eq 1 ] && exec \"$R\" \"$@\"; \"$R\" \"$@\" | head -c 12000; exec sleep 30", false},
        {"not there", "exec /nonexistent/lapora_jetread \"$@\"", true},
        {"writes something else", "printf 'LJR1\\377\\377\\377\\377'", true},
        {"ends early", "[ $# -eq 1 ] && exec \"$R\" \"$@\"; \"$R\" \"$@\" | head -c 5000", false},
        {"writes on after the end", "\"$R\" \"$@\"; printf x", true},
        {"fails after writing it all", "\"$R\" \"$@\"; exit 1", true},
        {"crashes while writing rows",
         "[ $# -eq 1 ] && exec \"$R\" \"$@\"; \"$R\" \"$@\" | head -c 12000; kill -SEGV $$", false},
        {"floods its error output", "[ $# -eq 1 ] && exec \"$R\" \"$@\"; yes damaged >&2", false},
    };
    JetFile::setTimeLimitForTests(1500, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString script = dir.filePath(QStringLiteral("reader.sh"));
        QFile::remove(script);
        writeFile(dir, QStringLiteral("reader.sh"),
                  QByteArray("#!/bin/sh\nR='") + QFile::encodeName(real) + "'\n" + c.script + "\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        JetFile::setReaderForTests(script);
        QElapsedTimer t;
        t.start();
        if (c.catalogFails) {
            EXPECT_THROW(JetFile::open(data("fakturo/LFAKT.MDB")), StoreError);
        } else {
            std::unique_ptr<JetFile> f;
            ASSERT_NO_THROW(f = JetFile::open(data("fakturo/LFAKT.MDB")));
            EXPECT_THROW(readAll(*f, "ATUTAL"), StoreError);
        }
        EXPECT_LT(t.elapsed(), 10000);
    }
    JetFile::setReaderForTests(QString());
    JetFile::setTimeLimitForTests(10000, 1000);
    // The real reader again: the same file reads.
    EXPECT_EQ(readAll(*JetFile::open(data("fakturo/LFAKT.MDB")), "ATUTAL").size(), 4u);
}
