#include "Schema.h"

#include "Collation.h"
#include "JetSql.h"
#include "StoreError.h"

namespace lapora::schema {

namespace {

Column text(const char* n, int size) {
    return {QString::fromUtf8(n), ColumnType::Text, size};
}
Column memo(const char* n) {
    return {QString::fromUtf8(n), ColumnType::LongText, 0};
}
Column num(const char* n) {
    return {QString::fromUtf8(n), ColumnType::Number, 0};
}
Column whole(const char* n) {
    return {QString::fromUtf8(n), ColumnType::Integer, 0};
}
Column date(const char* n) {
    return {QString::fromUtf8(n), ColumnType::Date, 0};
}
Column time(const char* n) {
    return {QString::fromUtf8(n), ColumnType::Time, 0};
}
Column yesno(const char* n) {
    return {QString::fromUtf8(n), ColumnType::Bool, 0};
}

Table laporak() {
    return {QStringLiteral("Laporak"),
            {date("Dátum"), time("Idő"), text("CégNeve", 50), text("CégSzékhelye", 50), text("CégCime", 50),
             text("ElvégzettMunka", 200), text("MunkalapSzáma", 5), text("MunkátVégezte", 50),
             // Shown in the job grid but set by no command; kept as text like the older files have them.
             text("Számlaszám", 20), text("SzámlaJelleg", 20), memo("Szoveg"), num("NettóÁr"), num("ÁFA"),
             num("BruttóÁr"), num("Munkaóra")}};
}

Table cimzett() {
    return {QString::fromUtf8("Címzett"),
            {text("CimNev", 50), text("CimIrszam", 6), text("CimSzekhely", 40), text("CimCim", 40),
             text("CimTelefon", 15), text("CimFax", 15), text("CimMobil", 15), text("CimAdoszam", 15),
             text("CimSzamlaszam", 25), whole("recordID"), text("Kapcsolattartó", 50), text("CimOrszag", 3),
             text("SzamlazasSzekhelye", 40), text("SzamlazasIrszama", 6), text("SzamlazasCime", 40),
             text("VevoKodja", 20)}};
}

Table orszagjel() {
    return {QStringLiteral("Orszagjel"), {text("Országjel", 3), text("Ország", 50)}};
}

Table szamlaAthozat() {
    return {QStringLiteral("SzamlaAthozat"),
            {whole("Sorszám"),
             num("Szamlaszam"),
             text("CegNev", 50),
             text("CegCim", 100),
             text("Megnevezes", 255),
             num("Netto"),
             num("AFA"),
             num("Brutto"),
             date("Datumtol"),
             date("Datumig"),
             date("Adatfelvetel"),
             text("Devizanem", 3),
             text("Kivezetés", 50),
             num("RészÖsszeg"),
             text("BankiKivonatSzáma", 50),
             date("BankiKiegyenlitésKelte"),
             text("Megjegyzés", 255),
             text("recordID", 50),
             text("FIGYELEM", 50),
             text("FigyelemMegjegyzés", 255),
             text("Részkiegyenlités", 50),
             text("FizetésMódja", 20),
             num("RészösszegÖsszesen"),
             text("Teljesités", 50),
             num("Mennyiség")}};
}

Table osszesSzamla() {
    // The invoicing program's document-line layout, copied by position.
    return {QStringLiteral("OsszesSzamlaLPM"),
            {text("VEVONEV", 50),
             text("VEVOSZEKH", 50),
             text("VEVOIRSZAM", 50),
             text("vevocim", 50),
             text("VEVOADOSZ", 50),
             text("VEVOSZMLSZ", 50),
             text("JOVEDEKENG", 50),
             text("ETK_SZAM", 50),
             text("SZAMLSZEKH", 50),
             text("SZAMLIRSZ", 50),
             text("SZAMLACIM", 50),
             text("MUKENG", 50),
             text("FIZ_MOD", 50),
             date("TELJ_DATUM"),
             date("SZML_KELTE"),
             date("ESEDEKES"),
             whole("SZAMLASOR"),
             text("SZALLITOLE", 50),
             text("ARUKOD", 50),
             text("MEGNEVEZES", 50),
             text("ETK", 50),
             text("SZJ", 50),
             num("AFA"),
             text("MENNY_EGYS", 50),
             num("MENNYISEG"),
             num("NETTO_EGYS"),
             num("ENGEDMENY"),
             num("ELADASIAR"),
             num("NETTO_ERTE"),
             num("OSSZ_NETTO"),
             num("AFA_ERTEK"),
             num("BRUTTO"),
             num("VEGOSSZEG"),
             text("AZAZ", 255),
             text("AZONOSITO", 50),
             text("VEDELEM", 50),
             text("VISSZARU", 50),
             text("GONGYOLEG", 50),
             num("JOVEDEKADO"),
             num("FOGYASZTOA"),
             text("ITALFAJTA", 50),
             memo("MEGJEGYZ1"),
             text("MEGJEGYZ2", 50),
             text("MEGJEGYZ3", 50),
             text("SZALLLEVEL", 50),
             text("BOLT_FAJTA", 50),
             text("BOLT_KOD", 50),
             text("KIEGYENLIT", 50),
             date("KIEGYENDAT"),
             num("KIEGYENOSZ"),
             yesno("STORNO"),
             text("SZAMLASORS", 50),
             text("PENZNEM", 50),
             text("TAM", 50),
             yesno("AKCIOS"),
             text("VEVOKOD", 50),
             whole("Rekord"),
             text("CimTelefon", 50),
             text("CimFax", 50),
             text("CimMobil", 50),
             text("ReszKiegyenlites", 50),
             num("ReszkiegyenlitesTeljOsszeg"),
             whole("TételSorszám"),
             text("AzonositoTetelekhez", 50),
             text("SzamlazasiIdoszak", 50),
             num("BESZNETTO"),
             text("TetelMegjegyzes", 50),
             num("EgységnyiSúly"),
             text("TermékdíjTétel", 50),
             text("TermékdíjKód", 50),
             num("KVTDÖsszeg"),
             num("Árfolyam"),
             num("ÁFAFt"),
             text("Cikkszám", 50),
             num("Tizedes"),
             text("Dijbekérö", 50),
             text("DijbekéröSorszám", 50),
             text("KVTDAdónemKód", 50),
             num("KVTDKedvezmény"),
             num("DarabszámCsomagban"),
             whole("Sorszam"),
             yesno("HozzaAdott")}};
}

Table raktarKivet() {
    // The warehouse programs' issue-line layout, copied by position.
    return {QStringLiteral("RAKTARKIVET"),
            {whole("Sorszám"),
             text("MEGNEVEZES", 100),
             text("ARUKOD", 20),
             text("GKTIPUS", 30),
             num("MENNYISEG"),
             text("MENNY_EGYS", 10),
             num("NETTO"),
             num("AFA"),
             num("BRUTTO"),
             text("POLCSZAM", 20),
             text("ITJ", 20),
             text("VEVONEV", 50),
             text("VEVOIRSZ", 6),
             text("VEVOSZEKH", 40),
             text("VEVOCIM", 40),
             text("VEVOADOSZ", 15),
             num("BESZERZAR"),
             num("AFABESZ"),
             date("KIDATUM"),
             num("ARRES"),
             num("ENGEDMENY"),
             yesno("SZAMLAZVA"),
             yesno("Készletezve"),
             text("Cikkszám", 30),
             yesno("FolyamatosTelj"),
             num("DevizaÁrfolyam"),
             num("NettoDevizaEgységár"),
             text("Devizanem", 3),
             num("BruttoDevizaEgységár")}};
}

Table emblemaPath() {
    return {QStringLiteral("EmblemaPath"),
            {text("FakturoNextPath", 100), text("Evszam", 4), text("Datumkod", 8), text("Penznem", 3),
             text("TaroloPath", 100), text("KeverdaPath", 100), text("Adoszam", 15), text("AdorakPath", 100),
             text("CegAdatok", 160), text("KépernyöMérete", 1), text("InterfacePath", 100),
             text("SorszámKiegészités", 100), text("EmblemaFajl", 100), memo("ÁllandóSzöveg")}};
}

Table regisztralas() {
    return {QString::fromUtf8("Regisztrálás"),
            {text("Felhasználó", 50), text("Jelszó", 50), date("AkcióDátuma"), time("AkcióIdeje"),
             text("Akció", 100), text("Path", 255), whole("JogosultságiSzint"), text("rekordID", 50),
             num("Számlaszám"), text("OkmányTipus", 50)}};
}

} // namespace

const std::vector<File>& files() {
    static const std::vector<File> all = {
        {kLaporaFile, {laporak(), cimzett(), orszagjel(), szamlaAthozat(), osszesSzamla(), raktarKivet()}},
        {kParameterFile, {emblemaPath()}},
        {kRegisztFile, {regisztralas()}},
    };
    return all;
}

const File& file(const QString& name) {
    for (const File& f : files())
        if (sameName(f.name, name))
            return f;
    throw StoreError("no such data file in the schema");
}

const Table& table(const QString& name) {
    for (const File& f : files())
        for (const Table& t : f.tables)
            if (sameName(t.name, name))
                return t;
    throw StoreError("no such table in the schema");
}

QString createSql(const Table& t) {
    QString sql = QStringLiteral("CREATE TABLE ") + jetsql::quoteName(t.name) + QStringLiteral(" (");
    for (size_t i = 0; i < t.columns.size(); ++i)
        sql += (i ? QStringLiteral(", ") : QString()) + jetsql::quoteName(t.columns[i].name) +
               QLatin1Char(' ') + declaredType(t.columns[i]);
    return sql + QLatin1Char(')');
}

} // namespace lapora::schema
