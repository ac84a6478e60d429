#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QTextEdit;

namespace lapora {

struct Session;

// The help window: the help file of the topic the opener put into the session's help key, read-only, with
// its plain text printable. The topic is read (and emptied) each time the window becomes active.
class HelpFormX : public QWidget {
    Q_OBJECT
public:
    static const QString kCaption;
    static const QString kLoadFailed; // the message when no help file can be read

    explicit HelpFormX(Session& session, QWidget* parent = nullptr);
    ~HelpFormX() override;

    void activate(); // every time the window becomes the active one
    void print();    // "&Nyomtat (Print)"
    void quit();     // "&Kilépés (Back)"

    QTextEdit* textBox() const { return box_; }
    QString plainText() const { return plain_; }

    // Where the help file of a topic is looked for, in order: the family's help folder from the file
    // system root (each part matched without regard to case), then the copies that ship with the program.
    // Tests point the root and the shipped folders elsewhere.
    void setSearchPlaces(const QString& root, const QStringList& shippedFolders);
    QString findHelpFile(const QString& topic) const;

    // A path below root whose every part is matched without regard to case; empty when there is none.
    static QString findNoCase(const QString& root, const QString& relative);
    // The folders the program's own copy of the help file is installed or built into, for programs in
    // programFolder (default: this program's).
    static QStringList defaultShippedFolders(const QString& programFolder = QString());

protected:
    bool event(QEvent* e) override;

private:
    bool load(const QString& path);

    Session& session_;
    QTextEdit* box_ = nullptr;
    QString plain_;
    QString root_;
    QStringList shipped_;
};

} // namespace lapora
