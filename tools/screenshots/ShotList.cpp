// The windows pictured for docs/ and the user manual. A new window gets one row here; the manual
// (reports/manual/kezikonyv.txt) already names settings-window.png, log-window.png, staging-window.png,
// invoice-import-window.png and warehouse-import-window.png, and shows them once they are made.
#include "Shots.h"

#include "CimzettForm.h"
#include "HelpFormX.h"
#include "JobList.h"
#include "LPMRepX.h"
#include "LaporaFelhasznaloiKezikonyvForm.h"
#include "LaporaX.h"
#include "Session.h"
#include "Templates.h"

namespace lapora::shots {

namespace {
template <class W> std::function<std::unique_ptr<QWidget>(Context&)> make() {
    return [](Context& c) { return std::make_unique<W>(c.session); };
}
// The main window, after its first activation, for the windows it opens.
std::unique_ptr<QWidget> mainWindow(Context& c) {
    auto w = std::make_unique<LaporaX>(c.session);
    w->activate();
    return w;
}
template <void (LaporaX::*command)()> std::function<void(QWidget*)> run() {
    return [](QWidget* w) { (static_cast<LaporaX*>(w)->*command)(); };
}
} // namespace

const std::vector<Shot>& shotList() {
    static const std::vector<Shot> list = {
        {QStringLiteral("main-window.png"), QStringLiteral("LaporaX"), mainWindow},
        {QStringLiteral("company-register-window.png"), QStringLiteral("CimzettForm"), make<CimzettForm>()},
        {QStringLiteral("company-list-window.png"), QStringLiteral("BeszallitoNyomFormX"),
         make<CimzettForm>(), [](QWidget* w) { static_cast<CimzettForm*>(w)->printList(); }},
        {QStringLiteral("certificate-window.png"), QStringLiteral("MunkaNyomTetelFormX"), mainWindow,
         run<&LaporaX::printCurrentSheet>()},
        {QStringLiteral("job-list-window.png"), QStringLiteral("LPNyomtatFormX"), mainWindow,
         run<&LaporaX::openJobList>()},
        {QStringLiteral("job-list-page-window.png"), QStringLiteral("MunkaNyomFormX"),
         [](Context& c) {
             c.session.jobListCompany = QString::fromUtf8("Kovács és Társa Kft.");
             return std::make_unique<LPNyomtatFormX>(c.session);
         },
         [](QWidget* w) { static_cast<LPNyomtatFormX*>(w)->print(); }},
        {QStringLiteral("help-window.png"), QStringLiteral("HelpFormX"),
         [](Context& c) {
             c.session.helpKey = QStringLiteral("ParameterFormX");
             return std::make_unique<HelpFormX>(c.session);
         }},
        {QStringLiteral("manual-window.png"), QStringLiteral("LaporaFelhasznaloiKezikonyvForm"), mainWindow,
         run<&LaporaX::openManual>()},
        {QStringLiteral("lpmrep-window.png"), QStringLiteral("LPMRepX"),
         [](Context& c) {
             return std::make_unique<LPMRepX>(c.session.prompter, c.workFolder, schema::defaultTemplateDir());
         }},
    };
    return list;
}

} // namespace lapora::shots
