#pragma once

#include <QDialog>

class MachineIdFields;
class TDBMower;
class UserInteraction;

// The owner-data dialog of a record window: the owner's name, surname and
// address and the machine number, to correct. "Save" hands what was typed to
// the entry, which checks it (validateOwnerData), applies it and writes the
// record file at once; exec() then gives MrOk. A refusal, or a write that
// failed, keeps the dialog open with what was typed and the record as it was.
// Cancel, Escape and the close box change nothing (MrCancel).
class TchangeODataForm : public QDialog {
    Q_OBJECT
public:
    TchangeODataForm(TDBMower& mower, UserInteraction& user, QWidget* parent = nullptr);

    void reject() override;

private slots:
    void saveClick();

private:
    // The record's owner data as they are now.
    void showRecordData();

    TDBMower& mower_;
    UserInteraction& user_;
    MachineIdFields* fields_ = nullptr;
};
