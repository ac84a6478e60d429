// LPMRep: renews the data files of the current working folder from the templates in its own Data folder.
#include "Fonts.h"
#include "LPMRepX.h"
#include "QtPlatform.h"
#include "Templates.h"
#include "WindowTrace.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    lapora::installWindowTrace(app);
    lapora::installFontSubstitutes();
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    QTranslator qtTranslation;
    if (qtTranslation.load(QStringLiteral("qtbase_hu"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslation);

    lapora::QtPrompter prompter;
    lapora::LPMRepX window(prompter, QDir::currentPath(), lapora::schema::defaultTemplateDir());
    prompter.setParent(&window);
    window.show();
    if (lapora::LPMRepX::runsAtOnce(QCoreApplication::arguments().mid(1)))
        QTimer::singleShot(0, &window, [&window] { window.runAndEnd(); });
    return app.exec();
}
