#include "HelpFormX.h"

#include "MenuCommand.h"
#include "Messages.h"
#include "Printer.h"
#include "Prompter.h"
#include "RtfReader.h"
#include "Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace lapora {

const QString HelpFormX::kCaption = QString::fromUtf8("Segédlet (Help) - Lapora");
const QString HelpFormX::kLoadFailed = QString::fromUtf8("A segédállomány jelenleg nem tölthető be!");

namespace {
// The family's help folder, from the root of the file system.
const QString kHelpFolder = QStringLiteral("PactoraCRM/Segedlet");
// The only topic with a help file: the settings window's.
const QString kSettingsTopic = QStringLiteral("ParameterFormX");
} // namespace

HelpFormX::HelpFormX(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), root_(QDir::rootPath()), shipped_(defaultShippedFolders()) {
    setObjectName(QStringLiteral("HelpFormX"));
    setWindowFlag(Qt::Window);
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    addCommand(bar, "&Nyomtat (Print)", "HNyom", this, &HelpFormX::print);
    addCommand(bar, "&Kilépés (Back)", "Kilepes", this, &HelpFormX::quit);
    layout->setMenuBar(bar);

    box_ = new QTextEdit(this);
    box_->setObjectName(QStringLiteral("RichTextBox1"));
    box_->setReadOnly(true);
    layout->addWidget(box_);
    resize(720, 560);
    session_.prompter.pointer(Pointer::Arrow);
}

HelpFormX::~HelpFormX() = default;

QStringList HelpFormX::defaultShippedFolders(const QString& programFolder) {
    const QString app = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    QStringList folders;
    // A run from the build tree: the copy beside the programs.
    folders << app;
    // Installed: the programs in <prefix>/lib/lapora, the shared files in <prefix>/share/lapora.
    folders << QDir::cleanPath(app + QStringLiteral("/../../share/lapora"));
#ifdef LAPORA_SHARE_DIR
    folders << QStringLiteral(LAPORA_SHARE_DIR);
#endif
    folders.removeDuplicates();
    return folders;
}

void HelpFormX::setSearchPlaces(const QString& root, const QStringList& shippedFolders) {
    root_ = root;
    shipped_ = shippedFolders;
}

QString HelpFormX::findNoCase(const QString& root, const QString& relative) {
    QDir dir(root);
    if (!dir.exists())
        return {};
    const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path = dir.absolutePath();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const bool last = i == parts.size() - 1;
        const QDir here(path);
        QString exact = here.filePath(parts[i]);
        QFileInfo fi(exact);
        if (!(last ? fi.isFile() : fi.isDir())) {
            exact.clear();
            const QStringList entries =
                here.entryList((last ? QDir::Files : QDir::Dirs) | QDir::Hidden | QDir::NoDotAndDotDot);
            for (const QString& e : entries)
                if (e.compare(parts[i], Qt::CaseInsensitive) == 0) {
                    exact = here.filePath(e);
                    break;
                }
            if (exact.isEmpty())
                return {};
        }
        path = exact;
    }
    return parts.isEmpty() ? QString() : path;
}

QString HelpFormX::findHelpFile(const QString& topic) const {
    const QString name = topic + QStringLiteral(".rtf");
    QString found = findNoCase(root_, kHelpFolder + QLatin1Char('/') + name);
    if (!found.isEmpty())
        return found;
    for (const QString& folder : shipped_) {
        found = findNoCase(folder, name);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

bool HelpFormX::load(const QString& path) {
    if (path.isEmpty())
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    const RtfText text = readRtf(bytes, box_->document());
    if (!text.isRtf) {
        box_->clear();
        return false;
    }
    plain_ = text.plain;
    box_->moveCursor(QTextCursor::Start);
    return true;
}

void HelpFormX::activate() {
    const QString topic = session_.helpKey;
    if (topic == kSettingsTopic) {
        if (!load(findHelpFile(topic))) {
            Prompter& p = session_.prompter;
            p.beep();
            p.message(msg::kFigyelem, kLoadFailed, Icon::Error, Buttons::Ok);
            box_->clear();
            plain_.clear();
            box_->update();
        }
    }
    session_.helpKey.clear();
}

void HelpFormX::print() {
    Printer* printer = session_.printer;
    const bool ok = printer && printer->printText(plain_) && printer->endDocument();
    if (!ok) {
        Prompter& p = session_.prompter;
        p.beep();
        p.message(msg::kFigyelem, msg::kNyomtatoNincsKesz, Icon::Error, Buttons::Ok);
    }
}

void HelpFormX::quit() {
    close();
}

bool HelpFormX::event(QEvent* e) {
    const bool r = QWidget::event(e);
    // Shown, or come back to from another window: a topic set meanwhile is loaded.
    if (e->type() == QEvent::Show || e->type() == QEvent::WindowActivate)
        activate();
    return r;
}

} // namespace lapora
