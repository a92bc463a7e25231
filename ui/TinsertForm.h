#pragma once

#include <QDialog>

#include <memory>

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class TDBMowerList;
class TVXLog;
class UserInteraction;

// The insert dialog: a history whose serial number no record has is filed
// into the record the dealer picks from the list of machine identifiers, or
// the dealer asks for a new record. A line over the list says which mower
// the history comes from. exec() gives MrOk when the history was
// filed (it is then gone from `history`), MrAbort for "Create" and MrCancel
// when the dialog was closed.
class TinsertForm : public QDialog {
    Q_OBJECT
public:
    TinsertForm(TDBMowerList& list, std::unique_ptr<TVXLog>& history, UserInteraction& user,
                QWidget* parent = nullptr);

    // Closing by the close box or Escape: MrCancel.
    void reject() override;

private slots:
    void insertClick();
    void createClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDBMowerList& list_;
    std::unique_ptr<TVXLog>& history_;
    UserInteraction& user_;
    QLabel* historyIdentity_ = nullptr;  // the serial number and type of the history to file
    QGroupBox* machineList_ = nullptr;
    QListWidget* machineIds_ = nullptr;
    QPushButton* insert_ = nullptr;
    QPushButton* create_ = nullptr;
};
