#include "ui/TchangeODataForm.h"

#include "Class/TVXMowerLog.h"
#include "Component/RecordDialogs.h"
#include "Component/RecordValidation.h"
#include "Component/TDBMower.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "ui/MachineIdFields.h"

#include <QPushButton>

TchangeODataForm::TchangeODataForm(TDBMower& mower, UserInteraction& user, QWidget* parent)
    : QDialog(parent), mower_(mower), user_(user)
{
    const TVXStringTable& table = TVXStringTable::instance();
    setObjectName("changeODataForm");
    setWindowTitle(QString::fromStdString(table.getMessageText(Msg::OwnerDataTitle)));

    fields_ = new MachineIdFields(this);
    fields_->setTitles(Msg::OwnerDataFirstname, Msg::OwnerDataLastname, Msg::OwnerDataAddress,
                       Msg::OwnerDataMachineNumber);
    showRecordData();

    QPushButton* save = fields_->layOutDialog(*this, "chgeButt", table.getMessageText(Msg::OwnerDataSave));
    connect(save, &QPushButton::clicked, this, &TchangeODataForm::saveClick);
}

void TchangeODataForm::saveClick()
{
    RecordVerdict verdict;
    if (mower_.ChangeOwnerData(fields_->input(), verdict)) {
        done(MrOk);
        return;
    }
    // Changed on another PC meanwhile (the entry said so): the fields show
    // that PC's data, for the dealer to change again if he still means to.
    if (mower_.LastSaveFoundChange()) {
        showRecordData();
        return;
    }
    fields_->showRefusal(verdict, user_);  // nothing to show after a failed write: the entry reported it
}

void TchangeODataForm::showRecordData()
{
    const TVXMowerLog& record = mower_.GetMowerHandle();
    fields_->setOwner(record.getOwner().getName(), record.getOwner().getSurname(),
                      memoTextOfAddress(record.getOwner().getAddress()));
    fields_->setTypeCode(record.getTypeCode());
    fields_->setMachineNumber(record.getIdYear(), record.getIdNumber());
}

void TchangeODataForm::reject()
{
    done(MrCancel);
}
