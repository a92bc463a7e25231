#pragma once

#include "core/AppPaths.h"
#include "core/AppSettings.h"
#include "core/IniFile.h"
#include "Component/DatabaseLock.h"
#include "Component/FolderRecordStore.h"
#include "link/TComPort.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QThread;
class LiveListFeed;
class QTimer;
class QMdiArea;
class QRadioButton;
class MowerListView;
class QFrame;
class QToolBar;
class QMenu;
class TStatusForm;
class QtUserInteraction;
class UserInteraction;
class MowerLink;
class WireLog;
class TDBMowerList;
class RecordWindowArea;
class ResponsiveClock;
class QtRecordDialogs;
class TTVXOptionForm;
class CommandKeys;
class CommandInputGate;

// The application's frame and state: settings, trace log, catalogue, the
// hand-over buffers between reading a history and filing it, and the commands
// of the menus and toolbar.
class TTVXMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Runs the whole start-up sequence. `user` answers the message boxes; the
    // form's own Qt dialogs when null.
    explicit TTVXMainForm(const AppPaths& paths, UserInteraction* user = nullptr, QWidget* parent = nullptr);
    ~TTVXMainForm() override;

    // The windows that live from start-up to the end, hidden until used.
    void createDialogs();

    void setCaptions();

    std::uint8_t language = 1;
    bool autoScan = true;
    std::array<std::uint8_t, 16> infoFrame {};
    std::array<std::uint8_t, 8192> historyImage {};

    TComPort ComPort;

    const std::string& currentPort() const { return ComPort.GetPort(); }
    // The ports the link and the options dialog look at; the system's unless
    // set before createDialogs (tests hand their own pseudo-terminals).
    void setPortLister(std::function<std::vector<std::string>()> lister) { portLister_ = std::move(lister); }
    // Passes the name to the port; an open port is closed and the new name opened.
    void setPort(const std::string& name);
    bool sortByName() const;
    const std::string& databaseFolder() const { return databaseFolder_; }
    // The workshop's database server ([FILEPATH] DBSERVER); empty when the
    // database is the folder.
    const std::string& databaseServer() const { return databaseServer_; }
    // While the server cannot be reached, the program tries again this often.
    static constexpr int ServerRetryMilliseconds = 3000;
    // Null while another running copy of the program holds the database, or
    // while its server cannot be reached or refuses it.
    TDBMowerList* mowerList() const { return databaseOpen_ ? mowerList_.get() : nullptr; }
    MowerLink* link() const { return link_.get(); }
    TStatusForm* statusForm() const { return statusForm_; }
    UserInteraction& user() const { return *user_; }

    // A signal asked the program to end: the window closes as Exit does, but
    // after the command that is running, if one is, and without waiting for
    // any click.
    void closeFromSignal();
    // The process's exit status: 0 when the shut-down saved everything, 1
    // when a save failed.
    int exitCode() const { return saveFailed_ ? 1 : 0; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void updateMenuItemClick();
    void loadHistMenuItemClick();
    void ImportMenuItemClick();
    void ImportBinMenuItemClick();
    void configMenuItemClick();
    void ExitMenuItemClick();
    void cascMenuItemClick();
    void NameRadioButtClick();
    void MachineIdRadioButtClick();

private:
    // Marks a command as running, so that a close asked for by a signal
    // waits for its end (a firmware upgrade must never be cut short).
    class CommandScope {
    public:
        explicit CommandScope(TTVXMainForm& form);
        ~CommandScope();

    private:
        TTVXMainForm& form_;
    };

    void buildLayout();
    // Opens the window at that place (frame corner, inside size), moved and
    // shrunk into the free area of its screen where it does not fit there.
    // The window system's frame counts once it is known.
    void placeOnScreen(int left, int top, int width, int height);
    // The command keys that no control may claim, and the gate for a command's time.
    void buildKeys();
    bool commandRunning() const { return runningCommands_ > 0; }
    // The first command begins, or the last one ends.
    void setCommandRunning(bool running);
    // A close asked for during a command: it waits for the command's end, and the status line says so.
    void closeAfterCommand();
    // Two radio buttons side by side when their captions fit, else one under the other.
    void fitSortGroup();
    void readSettings(AppSettings& settings);
    void openTraceLog();
    void openDatabase(bool sortByName);
    // DBSERVER: the server's database, or the reason it cannot be used now
    // (unreachable: the program tries again by itself) or at all (refused).
    void openServerDatabase();
    // A tick of the retry timer: one attempt to reach the server, made away
    // from the window's thread (a server that does not answer takes seconds).
    void reconnectToServer();
    void serverAttemptEnded(const StoreResult& result);
    // The store is open: the list reads its captions and the view shows them.
    void loadDatabase();
    void FormClose();
    void reportShutdownFailure(const std::string& text);
    // The database cannot be used (another running copy holds it, its server
    // cannot be reached): its commands are disabled and the status line says why.
    void showDatabaseUnavailable(const std::string& reason);
    // The reverse, once the database can be used after all: its commands are
    // enabled again and the status line says so (empty: the line is cleared).
    void showDatabaseAvailable(const std::string& note);
    void enableDatabaseCommands(bool enabled);
    // The status line's text about the database, made on first use.
    void showDatabaseStatus(const std::string& text);

    AppPaths paths_;
    IniFile ini_;
    std::string databaseFolder_;
    std::string databaseServer_;
    bool closed_ = false;
    bool placedWithFrame_ = false;  // the place was checked with the window system's frame
    bool saveFailed_ = false;
    int runningCommands_ = 0;
    bool closeWhenCommandEnds_ = false;
    CommandKeys* commandKeys_ = nullptr;
    CommandInputGate* inputGate_ = nullptr;
    std::vector<std::pair<QPointer<QAction>, bool>> pausedActions_;  // disabled while a command runs
    bool databaseOpen_ = false;
    // Before the list, which reads and writes through it.
    std::unique_ptr<RecordStore> recordStore_;
    LiveListFeed* liveFeed_ = nullptr;
    // The database the options dialog chose for the next start (DBSERVER;
    // empty: the folder); none while it chose none.
    std::optional<std::string> chosenDatabaseServer_;
    // Runs while the server cannot be reached, or refuses the database after
    // it could not be reached; stopped once the database opens.
    QTimer* reconnectTimer_ = nullptr;
    // The attempt under way, if any; it uses the store, which waits for it.
    QThread* reconnectAttempt_ = nullptr;
    QLabel* databaseStatus_ = nullptr;
    std::unique_ptr<RecordWindowArea> recordWindows_;
    std::unique_ptr<TDBMowerList> mowerList_;
    std::unique_ptr<ResponsiveClock> linkClock_;
    std::unique_ptr<WireLog> wireLog_;  // before the link, which uses it
    std::unique_ptr<MowerLink> link_;
    std::function<std::vector<std::string>()> portLister_;
    std::unique_ptr<QtRecordDialogs> recordDialogs_;
    TTVXOptionForm* optionForm_ = nullptr;

    std::unique_ptr<QtUserInteraction> ownUser_;
    UserInteraction* user_;
    TStatusForm* statusForm_ = nullptr;

    QMenu* FileMenuItem_ = nullptr;
    QMenu* ToolMenuItem_ = nullptr;
    QMenu* WindowMenuItem_ = nullptr;
    QAction* ImportMenuItem_ = nullptr;
    QAction* ImportBinMenuItem_ = nullptr;
    QAction* ExitMenuItem_ = nullptr;
    QAction* updateMenuItem_ = nullptr;
    QAction* loadHistMenuItem_ = nullptr;
    QAction* configMenuItem_ = nullptr;
    QAction* cascMenuItem_ = nullptr;
    QAction* nextWindow_ = nullptr;
    QAction* previousWindow_ = nullptr;
    QToolBar* ToolBar1_ = nullptr;
    QAction* upgradeToolButt_ = nullptr;
    QAction* uploadToolButt_ = nullptr;
    QFrame* Panel1_ = nullptr;
    MowerListView* mowerListView_ = nullptr;
    QGroupBox* dbMLGroupBox_ = nullptr;
    QRadioButton* MachineIdRadioButt_ = nullptr;
    QRadioButton* NameRadioButt_ = nullptr;
    QMdiArea* mdiArea_ = nullptr;
};
