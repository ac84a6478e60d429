// Lapora: the main window on the current working folder.
#include "FolderLock.h"
#include "Fonts.h"
#include "LaporaX.h"
#include "QtPlatform.h"
#include "QtPrinter.h"
#include "Session.h"
#include "WindowTrace.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The program ends through its exit routine only; a hidden main window behind a modal one is no end.
    QApplication::setQuitOnLastWindowClosed(false);
    lapora::installWindowTrace(app);
    lapora::installFontSubstitutes();
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    QTranslator qtTranslation;
    if (qtTranslation.load(QStringLiteral("qtbase_hu"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslation);

    lapora::QtPrompter prompter;
    // Held until the program ends (or dies): LPMRep and a second Lapora stay off the data files meanwhile.
    const lapora::FolderLock lock(QDir::currentPath());
    if (lapora::LaporaX::folderInUse(lock, prompter))
        return 1;
    lapora::QtModalHost modal;
    lapora::Session session(prompter, modal);
    session.endProgram = [] { QCoreApplication::exit(0); };
    // With no print queue the pages go as PDF files into this folder of the working folder.
    lapora::QtPrinter printer(QDir::current().filePath(QString::fromUtf8("Nyomtatás")));
    session.printer = &printer;

    lapora::LaporaX window(session);
    prompter.setParent(&window);
    window.showInSetSize();
    return app.exec();
}
