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

    const TVXMowerLog& record = mower_.GetMowerHandle();
    fields_ = new MachineIdFields(this);
    fields_->setTitles(Msg::OwnerDataFirstname, Msg::OwnerDataLastname, Msg::OwnerDataAddress,
                       Msg::OwnerDataMachineNumber);
    fields_->setOwner(record.getOwner().getName(), record.getOwner().getSurname(),
                      memoTextOfAddress(record.getOwner().getAddress()));
    fields_->setTypeCode(record.getTypeCode());
    fields_->setMachineNumber(record.getIdYear(), record.getIdNumber());

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
    fields_->showRefusal(verdict, user_);  // nothing to show after a failed write: the entry reported it
}

void TchangeODataForm::reject()
{
    done(MrCancel);
}
