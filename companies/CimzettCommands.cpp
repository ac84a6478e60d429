// The register's commands on the companies: new, "OK", delete, the name search, the country search and pick.
#include "CimzettForm.h"
#include "ViewRows.h"

#include "DataGrid.h"
#include "Messages.h"
#include "Prompter.h"
#include "Search.h"
#include "Session.h"
#include "StoreError.h"
#include "WriteLock.h"

#include <QLineEdit>

#include <optional>

namespace lapora {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

// The fields the window reads and writes by position in the table's field order.
constexpr int kNamePos = 0;
constexpr int kSerialPos = 9;
constexpr int kCountryPos = 11;

} // namespace

int CimzettForm::nextSerial() {
    if (!hasRows(cimzett_))
        return 1;
    cimzett_.moveLast();
    if (cimzett_.recordCount() == 1)
        return 1;
    cimzett_.moveFirst();
    cimzett_.moveLast();
    return cimzett_.recordCount() + 1;
}

void CimzettForm::newCompany() {
    Prompter& p = session_.prompter;
    p.pointer(Pointer::Hourglass);
    if (!cimzett_.isOpen()) {
        p.pointer(Pointer::Arrow);
        return;
    }
    // What is typed in the row being left goes in first; a refusal says the new row failed.
    if (!fields_.writePendingEdits(Refused::NewRow)) {
        p.pointer(Pointer::Arrow);
        return;
    }
    try {
        serial_ = nextSerial();
        cimzett_.addNew();
        cimzett_.setField(kSerialPos, Value::number(serial_));
        cimzett_.setField(kNamePos, Value::text(QString()));
        cimzett_.update();
        cimzett_.moveLast();
    } catch (const StoreError& e) {
        if (cimzett_.isOpen() && cimzett_.editMode() != View::EditMode::None)
            cimzett_.cancelUpdate();
        storeFailed(e, Refused::NewRow);
        grid1_->syncToView();
        p.pointer(Pointer::Arrow);
        return;
    }
    grid1_->syncToView();
    log(u("Új címzett"));
    p.pointer(Pointer::Arrow);
    text_[2]->setFocus();
}

void CimzettForm::commit() {
    Prompter& p = session_.prompter;
    if (!cimzett_.isOpen())
        return;
    if (!hasRows(cimzett_)) {
        p.beep();
        newCompany();
        return;
    }
    // A refused write ends the command: it must not be logged as committed.
    if (!fields_.writePendingEdits())
        return;
    try {
        if (!cimzett_.hasCurrent())
            cimzett_.moveLast();
        const View::Bookmark mark = cimzett_.bookmark();
        cimzett_.moveLast();
        if (hasRows(cimzett_))
            cimzett_.moveFirst();
        bool back = false;
        try {
            cimzett_.setBookmark(mark);
            back = true;
        } catch (const StoreError&) {
        }
        if (!back) {
            p.beep();
            if (hasRows(cimzett_))
                cimzett_.moveLast();
        }
    } catch (const StoreError& e) {
        storeFailed(e);
        grid1_->syncToView();
        return;
    }
    grid1_->syncToView();
    log(u("Címzett javítása"));
}

void CimzettForm::deleteCompany() {
    Prompter& p = session_.prompter;
    if (!hasRows(cimzett_) || !cimzett_.hasCurrent())
        return;
    p.pointer(Pointer::Arrow);
    p.beep();
    if (p.message(u("FIGYELEM! Címzett vagy vevő visszavonhatatlan törlése!"),
                  u("Biztosan TÖRLI a kijelölt adatot?"), Icon::Question, Buttons::YesNo) != Answer::Yes)
        return;
    try {
        cimzett_.remove();
    } catch (const StoreError& e) {
        // A locked or unwritable row stays, and so does what is typed in it.
        storeFailed(e, Refused::Delete);
        return;
    }
    try {
        cimzett_.moveNext();
    } catch (const StoreError& e) {
        storeFailed(e);
    }
    log(u("Címzett törlése"));
    if (!hasRows(cimzett_)) {
        p.pointer(Pointer::Arrow);
        p.beep();
        if (p.message(u("FIGYELEM! Ha nem kér, kilép!"),
                      u("Minden adat törölve (Deleted All)! Kér új adatot (New)?"), Icon::Question,
                      Buttons::YesNo) == Answer::Yes) {
            newCompany();
        } else {
            p.pointer(Pointer::Arrow);
            saveAndExit();
        }
        return;
    }
    try {
        if (cimzett_.eof())
            cimzett_.moveLast();
    } catch (const StoreError& e) {
        storeFailed(e);
    }
    grid1_->syncToView();
}

void CimzettForm::searchName() {
    Prompter& p = session_.prompter;
    if (!hasRows(cimzett_))
        return;
    const std::optional<QString> text = askSearchText(p, u("Keresés (cég)névre"), u("Kérem a cég nevét:"));
    if (!text)
        return;
    bool found = false;
    try {
        found = cimzett_.findFirst(beginsWithCriteria(u("CimNev"), *text));
    } catch (const StoreError& e) {
        storeFailed(e);
        p.pointer(Pointer::Arrow);
        return;
    }
    if (!found) {
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(msg::kProgramName, u("Nincs ilyen cég! Keressen újra, vagy válasszon a listából!"),
                  Icon::None, Buttons::Ok);
        try {
            cimzett_.moveFirst();
        } catch (const StoreError& e) {
            storeFailed(e);
        }
    }
    grid1_->syncToView();
    p.pointer(Pointer::Arrow);
}

void CimzettForm::searchCountry() {
    Prompter& p = session_.prompter;
    if (!data1_.isOpen())
        return;
    const std::optional<QString> text = askSearchText(p, u("Keresés országra"), u("Kérem az ország nevét:"));
    if (!text)
        return;
    bool found = false;
    try {
        found = data1_.findFirst(beginsWithCriteria(u("Ország"), *text));
    } catch (const StoreError&) {
    }
    if (!found) {
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(msg::kFigyelem, u("Nincs ilyen ország! Keressen újra, vagy válasszon a listából!"),
                  Icon::Exclamation, Buttons::Ok);
        try {
            if (hasRows(data1_))
                data1_.moveFirst();
        } catch (const StoreError&) {
        }
    }
    p.pointer(Pointer::Arrow);
    showCountryList(true);
}

void CimzettForm::pickCountry() {
    Prompter& p = session_.prompter;
    if (!hasRows(cimzett_) || !cimzett_.hasCurrent() || !cimzett_.database())
        return;
    p.pointer(Pointer::Hourglass);
    std::optional<WriteLock> lock;
    try {
        lock.emplace(*cimzett_.database());
    } catch (const StoreError&) {
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(msg::kFigyelem, u("Az adat jelenleg zárolt! Próbálja újra!"), Icon::Exclamation,
                  Buttons::Ok);
        return;
    }
    const Value sign = grid2_->currentValue(0);
    bool written = false;
    try {
        // What is typed in the row goes in with the sign, in one write.
        fields_.write({{cimzett_.column(kCountryPos).name, sign}});
        written = true;
        lock->commit();
    } catch (const StoreError&) {
        lock.reset();
        // Rolled back: show what is stored if the write itself had gone through; otherwise the texts stay.
        if (written)
            fields_.load();
        showWriteRefused(p);
        return;
    }
    showCountryList(false);
    p.pointer(Pointer::Arrow);
}

} // namespace lapora
