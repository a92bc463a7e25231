#include "ui/TcreateForm.h"

#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/HistoryFiling.h"
#include "Component/RecordDialogs.h"
#include "Component/RecordValidation.h"
#include "Component/TDBMowerList.h"
#include "core/CLogger.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "ui/MachineIdFields.h"

#include <QPushButton>

namespace {

// Set once the list refused to write the new record: the history, still
// here, would be lost if the dialog were simply closed.
constexpr const char* FilingFailed = "historyFilingFailed";

}  // namespace

TcreateForm::TcreateForm(TDBMowerList& list, std::uint8_t typeCode, std::unique_ptr<TVXLog>& history,
                         UserInteraction& user, QWidget* parent)
    : QDialog(parent), list_(list), history_(history), user_(user)
{
    const TVXStringTable& table = TVXStringTable::instance();
    setObjectName("createForm");
    setWindowTitle(QString::fromStdString(table.getMessageText(Msg::CreateTitle)));

    fields_ = new MachineIdFields(this);
    fields_->setTitles(Msg::CreateFirstname, Msg::CreateLastname, Msg::CreateAddress,
                       Msg::CreateMachineNumber);
    fields_->setTypeCode(typeCode);
    QPushButton* create = fields_->layOutDialog(*this, "createButt", table.getMessageText(Msg::CreateButton));
    connect(create, &QPushButton::clicked, this, &TcreateForm::createClick);
}

void TcreateForm::createClick()
{
    const RecordInput input = fields_->input();
    const RecordVerdict verdict = validateCreate(input, list_);
    if (!verdict.passed()) {
        fields_->showRefusal(verdict, user_);
        return;
    }
    if (!history_) {
        CLogger::instance().log("no history to file: no record created");
        done(MrCancel);
        return;
    }
    // The record takes a copy: the history stays with the caller until the
    // list has the record, so a refused record loses nothing.
    std::unique_ptr<TVXMowerLog> record = newRecord(input);
    record->insertLog(std::make_unique<TVXLog>(*history_));
    if (!list_.CreateRecord(record)) {
        setProperty(FilingFailed, true);
        return;  // the list told the dealer why
    }
    history_.reset();
    done(MrOk);
}

void TcreateForm::reject()
{
    CLogger::instance().log("Record creation cancelled: history not filed");
    // Closed after the record could not be written: the history is offered
    // as a .bin file rather than dropped.
    if (property(FilingFailed).toBool() && history_)
        offerHistoryRescue(*history_, user_);
    done(MrCancel);
}
