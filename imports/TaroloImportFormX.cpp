#include "TaroloImportFormX.h"

#include "Database.h"
#include "Prompter.h"
#include "Session.h"
#include "StoreError.h"

namespace lapora {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

struct Program {
    QString SettingsValues::*folder;
    const char* view;
    const char* prompt;
    const char* title;
    const char* query;
    int lastPosition;
    const char* failText;
    const char* pathText;
    const char* pathTitle;
};

// In the order they are opened and read.
const Program kPrograms[] = {
    {&SettingsValues::TaroloPath, "TaroloData",
     "Kérem a sorszámot, amitől kezdve áthozza a RAKTÁRI adatokat:",
     "Adatimport raktárból - Nem kéri: üres beviteli mező", "SELECT * FROM KIVET WHERE Sorszám >= ", 28,
     "Valószínűleg frissíteni kell a TaroloW szoftvert!",
     "Rosszul van beállítva a raktár (TaroloW) útvonala! Javaslat: C:\\TAROLOW",
     "FIGYELEM! Állítsa be a raktár útvonalát a Szerviz-Paraméterek menüben!)"},
    {&SettingsValues::AdorakPath, "AdorakData",
     "Kérem a sorszámot, amitől kezdve áthozza az ÁFA raktár adatokat:",
     "Adatimport ÁFA raktárból - Nem kéri: üres beviteli mező", "SELECT * FROM KIVET WHERE Sorszám >= ", 34,
     "Valószínűleg frissíteni kell a Adorak szoftvert!",
     "Rosszul van beállítva az ÁFA raktár (Adorak) útvonala! Javaslat: C:\\ADORAK",
     "FIGYELEM! Állítsa be az ÁFA raktár útvonalát a Szerviz-Paraméterek menüben!)"},
    {&SettingsValues::KeverdaPath, "KeverdaData",
     "Kérem a sorszámot, amitől kezdve áthozza a receptúrás raktári adatokat:",
     "Adatimport raktárból - Nem kéri: üres beviteli mező", "SELECT * from KIVET where Sorszám >= ", 32,
     "Valószínűleg frissíteni kell a Keverda szoftvert!",
     "Rosszul van beállítva a receptúrás raktár (Keverda) útvonala! Javaslat: C:\\KEVERDA",
     "FIGYELEM! Állítsa be a receptúrás raktár útvonalát a Szerviz-Paraméterek menüben!)"},
};

} // namespace

const QString TaroloImportFormX::kCaption = u("Raktárból adatimport - Lapora");

TaroloImportFormX::TaroloImportFormX(Session& session, QWidget* parent)
    : ImportForm(session,
                 Config{QStringLiteral("TaroloImportFormX"), kCaption, QStringLiteral("RAKTARKIVET"),
                        u("Sorszám"), u("select * from RAKTARKIVET order by Sorszám"),
                        u("select * from RAKTARKIVET order by Sorszám"),
                        QString(99, QLatin1Char(' ')) +
                            u("Raktárból, vámraktából adatok (TaroloW, Keverda, Adorak)"),
                        u(" - sorszámra gyorskereső "), u("Cellában javít, oszlopra kattintva rendez"), 1,
                        true, &imports::mapWarehouseLine}) {
    setParent(parent);
    for (const Program& d : kPrograms) {
        auto* s = new Source;
        s->name = QString::fromLatin1(d.view);
        s->table = QStringLiteral("KIVET");
        s->prompt = u(d.prompt);
        s->title = u(d.title);
        s->query = u(d.query);
        s->ordering = u(" order by Sorszám");
        s->lastPosition = d.lastPosition;
        s->failText = u(d.failText);
        addSource(s);
    }
}

bool TaroloImportFormX::openSources() {
    Prompter& p = session().prompter;
    const SettingsValues& settings = session().settings;
    bool any = false;
    for (const Program& d : kPrograms)
        any = any || !(settings.*d.folder).trimmed().isEmpty();
    if (!any) {
        p.beep();
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(u("FIGYELEM! Állítsa be a raktárak útvonalát a Szerviz-Paraméterek menüben!)"),
                  u("Nincs beállítva a raktár (TaroloW, Keverda, KvadrixC-EU, Adorak) útvonala!"),
                  Icon::Exclamation, Buttons::Ok);
        exitCommand();
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        const Program& d = kPrograms[i];
        const QString folder = settings.*d.folder;
        if (folder.trimmed().isEmpty())
            continue;
        bool opened = false;
        try {
            opened = openSource(source(i), openForeign(folder, QStringLiteral("TAROLO.LPB")));
        } catch (const StoreError&) {
        }
        if (!opened) {
            p.pointer(Pointer::Arrow);
            p.beep();
            p.message(u(d.pathTitle), u(d.pathText), Icon::Error, Buttons::Ok);
            exitCommand();
            return false;
        }
    }
    return true;
}

QString TaroloImportFormX::startSource(const QString& number) const {
    return u("select * from RAKTARKIVET where Sorszám >= ") + number;
}

} // namespace lapora
