#pragma once

#include "View.h"

#include <QMainWindow>
#include <QString>

#include <vector>

class QDateEdit;
class QLabel;

namespace lapora {

struct Session;
class DataGrid;

// The job sheets of one client company (the name the main window hands over in the session), narrowed to a
// date range with a click in the second date field, printed 13 a page through the job-list page layout.
// Commands are public so that tests can run them the way the menu and the clicks do.
class LPNyomtatFormX : public QMainWindow {
    Q_OBJECT
public:
    static const QString kCaption;
    // The query view's connection; its data source names the file in the working folder.
    static const QString kConnect;
    static constexpr int kRowsPerPage = 13;

    explicit LPNyomtatFormX(Session& session, QWidget* parent = nullptr);
    ~LPNyomtatFormX() override;

    void activate();   // every time the window becomes the active one
    void dateFilter(); // a click in DTPicker2
    void print();      // "&Nyomtatás"
    void quit();       // "&Vissza"

    QString companyName() const { return company_; }
    View& query() { return cegAdodc_; }
    // The query text for the whole list of the company and for the date range of the two date fields.
    QString listQuery() const;
    QString rangeQuery() const;

    // One printed row and the heading its row would give, read before the first page is shown.
    struct Row {
        QString dateTime, work, number, heading;
    };

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void runQuery(const QString& text);
    bool readRows(std::vector<Row>& rows);
    // Shows one page; false when the user left it with "Mégse".
    bool showPage(const QString& heading, const QStringList& cells, int page, bool last);

    Session& session_;
    QString company_;
    View cegAdodc_;
    QLabel* label1_ = nullptr;
    DataGrid* grid_ = nullptr;
    QDateEdit* dtPicker1_ = nullptr;
    QDateEdit* dtPicker2_ = nullptr;
    bool opened_ = false;
    bool closed_ = false; // the query view is closed for good
};

} // namespace lapora
