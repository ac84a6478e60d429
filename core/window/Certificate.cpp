#include "Certificate.h"

#include "Clock.h"
#include "NullSafe.h"
#include "Regional.h"
#include "Session.h"
#include "View.h"

namespace lapora {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

std::vector<std::pair<QString, QString>> certificateCells(const View& jobs, const Session& session) {
    const auto text = [&](const char* field) { return NullText(jobs.field(u(field))); };
    const auto number = [&](const char* field) { return NullNumber(jobs.field(u(field))).text(); };
    // The page number is always 1: a certificate is one page.
    const QString footer = u("Lapszám: ") + QString::number(1) + u(".  nyomtatva: ") +
                           regional::formatDate(Clock::today()) + u("  ") +
                           regional::formatTime(Clock::now());
    return {
        {u("Label2"), text("CégNeve") + u(" ") + text("CégSzékhelye") + u(", ") + text("CégCime")},
        {u("Label45"), footer},
        {u("Label6"), NullDate(jobs.field(u("Dátum"))).text() + u(" ") + TimeText(jobs.field(u("Idő")))},
        {u("Label7"), text("ElvégzettMunka")},
        {u("Label8"), text("MunkalapSzáma")},
        {u("Text1"), text("Szoveg")},
        {u("Label11"), number("Munkaóra")},
        {u("Label13"), number("NettóÁr")},
        {u("Label15"), number("ÁFA")},
        {u("Label17"), number("BruttóÁr")},
        {u("Label18"), session.settings.AllandoSzoveg},
    };
}

const std::vector<QString>& certificateClearedCells() {
    static const std::vector<QString> cells{u("Label6"), u("Label7"), u("Label8"), u("Text1")};
    return cells;
}

} // namespace lapora
