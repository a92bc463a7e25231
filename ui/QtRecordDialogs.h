#pragma once

#include "Component/RecordDialogs.h"

#include <QPointer>
#include <QWidget>

class TDBMowerList;
class UserInteraction;

// The record dialogs of the application: the modal insert and create dialogs
// over the main window. Once the session is ending (QtUserInteraction::
// unattended), no dialog opens: the history stays with the caller.
class QtRecordDialogs : public RecordDialogs {
public:
    // `user` answers the dialogs' message boxes; `parent` is the window the
    // dialogs stand over.
    QtRecordDialogs(TDBMowerList& list, UserInteraction& user, QWidget* parent = nullptr);

    int showInsertDialog(std::unique_ptr<TVXLog>& history) override;
    int showCreateDialog(std::uint8_t typeCode, std::unique_ptr<TVXLog>& history) override;

private:
    TDBMowerList& list_;
    UserInteraction& user_;
    QPointer<QWidget> parent_;
};
