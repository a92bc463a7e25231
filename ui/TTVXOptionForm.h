#pragma once

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
class QPushButton;

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
};

// The options dialog: how the link finds the mower's port (a scan of every
// free port, or the one port chosen here) and the language of the program.
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

private:
    void buildLayout();
    void setCaptions();
    // The link's answer; none when the system's port list cannot be read.
    std::optional<std::vector<std::string>> readFreePorts();
    // Shows the ports with the port in use and selects portChoice's entry;
    // returns its index.
    int fillPortList(std::vector<std::string> ports, const std::string& wanted);
    void storePort(const std::string& name);

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
    QPushButton* OKButt_ = nullptr;
    QPushButton* exitButt_ = nullptr;
};
