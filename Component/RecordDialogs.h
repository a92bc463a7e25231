#pragma once

#include <cstdint>
#include <memory>

class TVXLog;

// Modal results of the record dialogs.
enum ModalResult : int {
    MrNone = 0,
    MrOk = 1,
    MrCancel = 2,
    MrAbort = 3,  // the insert dialog's "Create": the dealer asks for a new record
};

// The dialogs that filing a history opens. The application shows its modal
// insert and create dialogs; tests script them. Each dialog files the history
// through the mower list (InsertLogInto, CreateRecord), which then takes it
// out of `history`; whatever is left there was not filed.
class RecordDialogs {
public:
    virtual ~RecordDialogs() = default;
    // The insert dialog: MrOk when the history was filed into the record the
    // dealer chose, MrAbort when a new record was asked for, anything else
    // when the dialog was closed.
    virtual int showInsertDialog(std::unique_ptr<TVXLog>& history) = 0;
    // The create dialog, preset to the mower type code.
    virtual int showCreateDialog(std::uint8_t typeCode, std::unique_ptr<TVXLog>& history) = 0;
};
