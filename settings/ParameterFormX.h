#pragma once

#include "BoundFields.h"
#include "View.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>

class QKeyEvent;
class QLabel;
class QLineEdit;

namespace lapora {

struct Session;
struct SettingsValues;
class DataGrid;

// The settings record's paths and texts become the program-wide values; each Null gives an empty text.
// The view stands on its last row afterwards. Nothing changes when the view has no row.
void copySettingsValues(View& settings, SettingsValues& to);

// Whether the settings record asks for a maximised main window ("M", also as typed before the exit
// upper-cases it). Anything else, a missing record included, is the normal size.
bool settingsWantMaximised(View& settings);

// The settings window: the single row of the settings record in a grid whose columns take keys by position,
// and the main window's size as a one-letter field. Commands are public so that tests can run them the way
// the menu does.
class ParameterFormX : public QMainWindow {
    Q_OBJECT
public:
    static const QString kCaption;
    static const QString kWindowName; // also the help key

    explicit ParameterFormX(Session& session, QWidget* parent = nullptr);
    ~ParameterFormX() override;

    // The help window comes from the caller; without a factory the help command only sets the key.
    using HelpFactory = std::function<std::unique_ptr<QWidget>()>;
    void setHelpFactory(HelpFactory f) { helpFactory_ = std::move(f); }

    void activate(); // on opening and whenever the window is in front again
    void help();     // "&Segédlet (Help)"
    void exit();     // "&Kilépés"
    void SetQui(bool q) { quit_ = q; }
    bool quitFlag() const { return quit_; }

    // The grid's rule for a key typed into a cell of the column, whose editor holds cellText.
    static bool gridKeyAllowed(int column, const QString& cellText, const QKeyEvent& key);
    static int columnLimit(int column);

    View& settings() { return parameterData_; }
    View& logView() { return regisztData_; }
    DataGrid* grid() const { return grid_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    bool sizeKey(const QKeyEvent& e);
    bool leave(); // the exit steps; false when the window stays open

    Session& session_;
    View parameterData_;
    View regisztData_;
    BoundFields fields_;
    DataGrid* grid_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLabel* label1_ = nullptr;
    HelpFactory helpFactory_;
    bool quit_ = true;
    bool activated_ = false;
};

} // namespace lapora
