#include "SzamlaImportFormX.h"
#include "ViewRows.h"

#include "Database.h"
#include "Messages.h"
#include "NullSafe.h"
#include "Prompter.h"
#include "Session.h"
#include "StoreError.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace lapora {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

struct FilterDef {
    const char* command;
    const char* caption;
    const char* mode; // the payment mode a transfer from a number keeps to; null: every mode
    const char* query;
    const char* empty;
};

const FilterDef kFilters[] = {
    {"Kp", "Készpénzes", "készpénzes",
     "select * from OsszesSzamlaLPM where Fiz_Mod = 'készpénzes' order by SZAMLASOR",
     "Nincs készpénzes adat!"},
    {"Atutal", "Átutalás", "átutalás",
     "select * from OsszesSzamlaLPM where Fiz_Mod = 'átutalás' order by SZAMLASOR", "Nincs átutalás adat!"},
    {"Utanvet", "Utánvét", "utánvét",
     "select * from OsszesSzamlaLPM where Fiz_Mod = 'utánvét' order by SZAMLASOR", "Nincs utánvét adat!"},
    {"Nyugta", "Nyugta", "nyugta",
     "select * from OsszesSzamlaLPM where Fiz_Mod = 'nyugta' order by SZAMLASOR", "Nincs nyugta adat!"},
    {"Proforma", "Proforma készpénzes", "proforma-k",
     "select * from OsszesSzamlaLPM where Fiz_Mod = 'proforma-k' order by SZAMLASOR",
     "Nincs készpénzes proforma adat!"},
    {"ProformaAtutal", "Proforma átutalás", "proforma-a",
     "select * from OsszesSzamlaLPM where Fiz_Mod = 'proforma-a' order by SZAMLASOR",
     "Nincs átutalás proforma adat!"},
    {"Szallito", "Szállítólevél-előleg okmány", "szállítól.",
     "select * from OsszesSzamlaLPM where Fiz_Mod = 'szállítól.' or Fiz_Mod = 'átutalás E' order by "
     "SZAMLASOR",
     "Nincs szállítólevél adat!"},
    {"SzurKi", "Szűrés kikapcsolása (minden adat)", nullptr,
     "select * from OsszesSzamlaLPM order by SZAMLASOR", "Nincs adat!"},
};

const FilterDef* filterDef(const QString& command) {
    for (const FilterDef& f : kFilters)
        if (command == QLatin1String(f.command))
            return &f;
    return nullptr;
}

const QString kPathTitle = u("FIGYELEM! Állítsa be a számlázó útvonalát a Szerviz-Paraméterek menüben!)");

} // namespace

const QString SzamlaImportFormX::kCaption = u("Számlázóból adatimport - Lapora");

SzamlaImportFormX::SzamlaImportFormX(Session& session, QWidget* parent)
    : ImportForm(session,
                 Config{QStringLiteral("SzamlaImportFormX"), kCaption, QStringLiteral("OsszesSzamlaLPM"),
                        QStringLiteral("SZAMLASOR"),
                        QStringLiteral("select * from OsszesSzamlaLPM order by SZAMLASOR"),
                        QStringLiteral("select * from OsszesSzamlaLPM order by Fiz_Mod, SZAMLASOR"),
                        QString(99, QLatin1Char(' ')) + u("Számlázóból adatok (FakturoNext)"),
                        u(" - számlaszámra gyorskereső "), QString(), 0, false, &imports::mapInvoiceLine}) {
    setParent(parent);
    struct SourceDef {
        const char* view;
        const char* table;
        const char* prompt;
        const char* title;
        const char* query;
        const char* ordering;
    };
    const SourceDef defs[] = {
        {"KpData", "SZAMLA", "Kérem a sorszámot, amitől kezdve áthozza a KÉSZPÉNZES adatokat:",
         "Adatimport készpénzes számlákból - Nem kéri: üres beviteli mező",
         "SELECT * FROM SZAMLA WHERE SZAMLASOR >= ", " order by SZAMLASOR"},
        {"AtutalData", "ATUTAL", "Kérem a sorszámot, amitől kezdve áthozza az ÁTUTALÁS adatokat:",
         "Adatimport átutalás számlákból - Nem kéri: üres beviteli mező",
         "SELECT * FROM ATUTAL WHERE SZAMLASOR >= ", " order by szamlasor"},
        {"UtanvetData", "UTANVET", "Kérem a sorszámot, amitől kezdve áthozza az UTÁNVÉT adatokat:",
         "Adatimport utánvét számlákból - Nem kéri: üres beviteli mező",
         "SELECT * FROM UTANVET WHERE SZAMLASOR >= ", " order by szamlasor"},
        {"NyugtaData", "NYUGTA", "Kérem a sorszámot, amitől kezdve áthozza a NYUGTA adatokat:",
         "Adatimport nyugtákból - Nem kéri: üres beviteli mező",
         "SELECT * FROM NYUGTA WHERE SZAMLASOR >= ", " order by szamlasor"},
        {"SzallitoData", "SZALLITO", "Kérem a sorszámot, amitől kezdve áthozza a SZÁLLÍTÓLEVÉL adatokat:",
         "Adatimport szállítólevelekből - Nem kéri: üres beviteli mező",
         "SELECT * from SZALLITO where SZAMLASOR >= ", " order by szamlasor"},
        {"ProformaData", "SZAMLAHE", "Kérem a sorszámot, amitől kezdve áthozza a PROFORMA adatokat:",
         "Adatimport proforma okmányokból - Nem kéri: üres beviteli mező",
         "SELECT * FROM SZAMLAHE WHERE SZAMLASOR >= ", " order by szamlasor"},
    };
    for (const SourceDef& d : defs) {
        auto* s = new Source;
        s->name = QString::fromLatin1(d.view);
        s->table = QString::fromLatin1(d.table);
        s->prompt = u(d.prompt);
        s->title = u(d.title);
        s->query = u(d.query);
        s->ordering = QString::fromLatin1(d.ordering);
        s->lastPosition = 81;
        s->failText = u("Valószínűleg frissíteni kell a FakturoW szoftvert!");
        addSource(s);
    }

    QMenu* m = new QMenu(u("S&zűrés"), this);
    m->setObjectName(QStringLiteral("Szures"));
    menuBar()->insertMenu(exitAction(), m);
    for (const FilterDef& f : kFilters) {
        if (QLatin1String(f.command) == QLatin1String("SzurKi"))
            m->addSeparator();
        QAction* a = m->addAction(u(f.caption));
        a->setObjectName(QString::fromLatin1(f.command));
        a->setCheckable(true);
        const QString command = a->objectName();
        connect(a, &QAction::triggered, this, [this, command] { filter(command); });
        filters_.push_back(a);
    }
    // Load.
    setMark(QStringLiteral("SzurKi"));
}

void SzamlaImportFormX::setMark(const QString& command) {
    for (QAction* a : filters_)
        a->setChecked(a->objectName() == command);
}

QString SzamlaImportFormX::filterInForce() const {
    for (QAction* a : filters_)
        if (a->isChecked())
            return a->objectName();
    return QString();
}

void SzamlaImportFormX::resetFilter() {
    setMark(QStringLiteral("SzurKi"));
}

bool SzamlaImportFormX::openSources() {
    Prompter& p = session().prompter;
    const QString folder = session().settings.FakturoNextPath;
    if (folder.trimmed().isEmpty()) {
        p.beep();
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(kPathTitle, u("Nincs beállítva a számlázó (FakturoW) útvonala!"), Icon::Exclamation,
                  Buttons::Ok);
        exitCommand();
        return false;
    }
    std::shared_ptr<Database> file;
    try {
        file = openForeign(folder, QStringLiteral("LFAKT.MDB"));
    } catch (const StoreError&) {
    }
    for (int i = 0; i < 6; ++i) {
        if (!file || !openSource(source(i), file)) {
            p.pointer(Pointer::Arrow);
            p.beep();
            p.message(kPathTitle,
                      u("Rosszul van beállítva a számlázó (FakturoW) útvonala! Javaslat: C:\\FAKTURO"),
                      Icon::Error, Buttons::Ok);
            exitCommand();
            return false;
        }
    }
    return true;
}

void SzamlaImportFormX::filter(const QString& command) {
    const FilterDef* f = filterDef(command);
    if (!f)
        return;
    Prompter& p = session().prompter;
    if (!commitGridEdits())
        return;
    setMark(command);
    p.pointer(Pointer::Hourglass);
    setCollectionSource(u(f->query));
    refreshGrid();
    if (!hasRows(collection())) {
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(msg::kFigyelem, u(f->empty), Icon::Exclamation, Buttons::Ok);
        setCommands(false);
        ImportForm::command(1)->setFocus();
    } else {
        showLast();
        setCommands(true);
    }
    p.pointer(Pointer::Arrow);
}

QString SzamlaImportFormX::startSource(const QString& number) const {
    QString sql = QStringLiteral("select * from OsszesSzamlaLPM where SZAMLASOR >= ") + number;
    const FilterDef* f = filterDef(filterInForce());
    if (f && f->mode)
        sql += QStringLiteral(" and Fiz_Mod = '") + u(f->mode) + QLatin1Char('\'');
    return sql;
}

} // namespace lapora
