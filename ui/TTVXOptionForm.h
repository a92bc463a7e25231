#pragma once

#include "Component/RecordStore.h"
#include "link/PortChoice.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QThread;

// What the options dialog reads and sets in the main window.
struct OptionTargets {
    // The ports that can be opened now (the link's listFreePorts).
    std::function<std::vector<std::string>()> listFreePorts;
    std::function<std::string()> currentPort;
    std::function<void(const std::string&)> setPort;
    bool* autoScan = nullptr;
    std::uint8_t* language = nullptr;
    // Whether a port's device is there: the port in use is offered while it is.
    std::function<bool(const std::string&)> portExists = portDeviceExists;
    // The database in use: its folder, shown beside the folder choice, and
    // its server's URI, [FILEPATH] DBSERVER as read at start (empty: the folder).
    std::string databaseFolder;
    std::string databaseServer;
    // Set on OK once the dealer chose another database than the one in use
    // (or changed an earlier choice): DBSERVER as it is to be written at
    // close, empty for the folder. It takes effect at the next start. A URI
    // that serverUriRefusal refuses is never set: OK says why, and the
    // dialog stays open with nothing stored.
    std::optional<std::string>* chosenDatabaseServer = nullptr;
};

// The options dialog: how the link finds the mower's port (a scan of every
// free port, or the one port chosen here), the language of the program and
// its database (the folder, or the workshop's server, which the dealer can
// try from here without leaving the dialog).
//
// One instance serves every showing: it is built at start-up and never
// rebuilt, so Abort leaves the controls as the dealer left them and the next
// showing presents those values. The port list is read at construction and
// again only when the dealer asks for it (Refresh).
class TTVXOptionForm : public QDialog {
    Q_OBJECT
public:
    // Fills the list with the free ports and the port in use, and selects the
    // port in use. The port in use is listed even when the system's list
    // lacks it, as long as its device is there (a pseudo-terminal, a port
    // held open); only a port whose device is gone gives way to the first
    // free port, which is made current. With no port to list nothing is
    // selected and the current port stays.
    explicit TTVXOptionForm(OptionTargets targets, QWidget* parent = nullptr);
    // Waits for a server test that still runs (at most the connection timeout).
    ~TTVXOptionForm() override;

    // What a test of a server found: its version and number of records, or
    // why it cannot be used.
    struct ServerTest {
        StoreResult result;
        std::string version;
        long long records = 0;
    };
    // Why the text cannot be the server's URI, in the dealer's language, found
    // without connecting: not a postgresql:// URI, not one that parses, or one
    // that holds a password. Empty when it can be.
    static std::string serverUriRefusal(const std::string& uri);
    // Opens the server's database and counts its records: the Test button's
    // work, which blocks up to the connection timeout, so it runs on a thread
    // of its own. The URI passed serverUriRefusal.
    static ServerTest testServer(const std::string& uri);
    // The line under the URI that tells what a test found, in the dealer's language.
    static std::string serverTestText(const ServerTest& test);
    // Whether a server test runs now; its button is disabled meanwhile.
    bool testingServer() const { return serverTestRun_ != nullptr; }

public slots:
    // Reads the free ports again (with the port in use, as above); the
    // selected port stays selected while it is listed, otherwise the first
    // port is selected. Nothing is stored. When the system's list cannot be
    // read, the list shown stays as it was.
    void refreshPortsButtClick();

private slots:
    void autoScanCheckBoxToggled(bool checked);
    void LanguageComboBoxChange(int index);
    void OKButtClick();
    void databaseChoiceChanged();
    void testServerButtClick();

private:
    void buildLayout();
    void setCaptions();
    // The link's answer; none when the system's port list cannot be read.
    std::optional<std::vector<std::string>> readFreePorts();
    // Shows the ports with the port in use and selects portChoice's entry;
    // returns its index.
    int fillPortList(std::vector<std::string> ports, const std::string& wanted);
    void storePort(const std::string& name);
    void buildDatabasePart();
    // DBSERVER as the controls say: the URI, or empty for the folder.
    std::string databaseChoice() const;
    void showServerTestText(const std::string& text);

    OptionTargets targets_;
    // The language of the running program; a new one shows at the next start.
    std::uint8_t languageInForce_;
    // The names behind the list's entries, exactly as the link gave them.
    std::vector<std::string> ports_;

    QGroupBox* CommGroupBox_ = nullptr;
    QCheckBox* autoScanCheckBox_ = nullptr;
    QLabel* portNumLabel_ = nullptr;
    QComboBox* portListComboBox_ = nullptr;
    QPushButton* refreshPortsButt_ = nullptr;
    QGroupBox* LanguageGroupBox_ = nullptr;
    QComboBox* LanguageComboBox_ = nullptr;
    QLabel* languageNoteLabel_ = nullptr;
    QGroupBox* DatabaseGroupBox_ = nullptr;
    QRadioButton* folderRadioButt_ = nullptr;
    QLineEdit* folderEdit_ = nullptr;
    QRadioButton* serverRadioButt_ = nullptr;
    QLineEdit* serverEdit_ = nullptr;
    QPushButton* testServerButt_ = nullptr;
    QLabel* serverTestLabel_ = nullptr;
    QLabel* databaseNoteLabel_ = nullptr;
    // The test under way, if any.
    QThread* serverTestRun_ = nullptr;
    QPushButton* OKButt_ = nullptr;
    QPushButton* exitButt_ = nullptr;
};
