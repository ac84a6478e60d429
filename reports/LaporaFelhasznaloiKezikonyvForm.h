#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QTextEdit;

namespace lapora {

struct Session;

// The user manual, built into the program, read-only, printable as plain text. Opening it also leaves the
// manual as an RTF file in the working folder when none is there, as its label promises.
class LaporaFelhasznaloiKezikonyvForm : public QWidget {
    Q_OBJECT
public:
    static const QString kCaption;
    static const QString kLabel;
    static const QString kFileName; // the manual's file in the working folder

    explicit LaporaFelhasznaloiKezikonyvForm(Session& session, QWidget* parent = nullptr);
    ~LaporaFelhasznaloiKezikonyvForm() override;

    void print(); // "Nyomtatás (Print)"
    void quit();  // "Kilépés (Exit)"

    QTextEdit* textBox() const { return box_; }
    QString plainText() const { return plain_; }

    // The manual as built into the program (RTF).
    static QByteArray manualRtf();
    // Writes the manual into the folder unless a file of its name is there; false when it could not.
    static bool writeManualFile(const QString& folder);

protected:
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    Session& session_;
    QLabel* label1_ = nullptr;
    QTextEdit* box_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* exit_ = nullptr;
    QString plain_;
};

} // namespace lapora
