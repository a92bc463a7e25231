#pragma once

#include <QDialog>

#include <cstdint>
#include <memory>

class MachineIdFields;
class TDBMowerList;
class TVXLog;
class UserInteraction;

// The create dialog: a new record for a history whose mower the database
// lacks. "Create" checks what the dealer typed (validateCreate), makes the
// record with the history and has the list write it and open its window;
// exec() then gives MrOk and `history` is empty. A refusal keeps the dialog
// open with what was typed. Cancel, Escape and the close box give MrCancel
// and leave the history with the caller, as does a record the list refuses.
class TcreateForm : public QDialog {
    Q_OBJECT
public:
    // The type box starts on the type code of the mower's info frame.
    TcreateForm(TDBMowerList& list, std::uint8_t typeCode, std::unique_ptr<TVXLog>& history,
                UserInteraction& user, QWidget* parent = nullptr);

    void reject() override;

private slots:
    void createClick();

private:
    TDBMowerList& list_;
    std::unique_ptr<TVXLog>& history_;
    UserInteraction& user_;
    MachineIdFields* fields_ = nullptr;
};
