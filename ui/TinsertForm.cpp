#include "ui/TinsertForm.h"

#include "Class/TVXLog.h"
#include "Component/HistoryFiling.h"
#include "Component/MowerTypes.h"
#include "Component/RecordDialogs.h"
#include "Component/RecordFileName.h"
#include "Component/TDBMowerList.h"
#include "core/AppTexts.h"
#include "core/CLogger.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "core/UserInteraction.h"
#include "ui/MachineIdFields.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int ListRowsShown = 10;

// Set once a filing into the chosen record failed: the history, still here,
// would be lost if the dialog were simply closed.
constexpr const char* FilingFailed = "historyFilingFailed";

// Which mower the history comes from: its serial number and its type's
// prefix (the type code itself for a code without a type).
std::string historyIdentity(const TVXLog& history)
{
    const std::uint8_t code = history.getTypeByte() & 0x0F;
    const MowerType* type = findMowerType(code);
    return appText(AppText::InsertHistoryIdentity,
                   {serialHex(history.getSerialNumber()), type ? std::string(type->prefix) : std::to_string(code)});
}

}  // namespace

TinsertForm::TinsertForm(TDBMowerList& list, std::unique_ptr<TVXLog>& history, UserInteraction& user,
                         QWidget* parent)
    : QDialog(parent), list_(list), history_(history), user_(user)
{
    setObjectName("insertForm");
    setWindowTitle(QString::fromStdString(catalogueText(Msg::InsertTitle)));

    historyIdentity_ = new QLabel(this);
    historyIdentity_->setObjectName("historyIdentityLabel");
    if (history_)
        historyIdentity_->setText(QString::fromStdString(historyIdentity(*history_)));

    machineList_ = new QGroupBox(QString::fromStdString(catalogueText(Msg::MachineListing)), this);
    machineList_->setObjectName("machineListGroupBox");
    machineIds_ = new QListWidget(machineList_);
    machineIds_->setObjectName("machineIdListBox");
    machineIds_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const std::string& id : list_.GetMachineIdList())
        machineIds_->addItem(QString::fromStdString(id));
    machineIds_->setMinimumHeight(machineIds_->fontMetrics().lineSpacing() * ListRowsShown);
    machineIds_->installEventFilter(this);
    connect(machineIds_, &QListWidget::itemDoubleClicked, this, &TinsertForm::insertClick);
    auto* listLayout = new QVBoxLayout(machineList_);
    listLayout->addWidget(machineIds_);

    insert_ = new QPushButton(this);
    insert_->setObjectName("insertButt");
    create_ = new QPushButton(this);
    create_->setObjectName("createButt");
    setButtonTexts({{insert_, catalogueText(Msg::InsertButton)}, {create_, catalogueText(Msg::InsertCreateButton)}});
    connect(insert_, &QPushButton::clicked, this, &TinsertForm::insertClick);
    connect(create_, &QPushButton::clicked, this, &TinsertForm::createClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(insert_);
    buttons->addWidget(create_);
    auto* column = new QVBoxLayout(this);
    column->addWidget(historyIdentity_);
    column->addSpacing(column->spacing());
    column->addWidget(machineList_, 1);
    column->addLayout(buttons);

    setTabOrder(machineIds_, insert_);
    setTabOrder(insert_, create_);
    if (machineIds_->count() == 0) {
        // Nothing to insert into: a new record is the only way on.
        insert_->setEnabled(false);
        create_->setDefault(true);
        create_->setFocus(Qt::OtherFocusReason);
    } else {
        insert_->setDefault(true);
        machineIds_->setFocus(Qt::OtherFocusReason);
    }
}

void TinsertForm::insertClick()
{
    const QList<QListWidgetItem*> chosen = machineIds_->selectedItems();
    if (chosen.isEmpty()) {
        user_.messageBox(MsgType::Warning, catalogueText(Msg::ChooseMachine), MbOK);
        machineIds_->setFocus(Qt::OtherFocusReason);
        return;
    }
    const std::string machineId = chosen.first()->text().toStdString();
    switch (list_.InsertLogInto(machineId, history_)) {
    case InsertResult::Inserted:
        CLogger::instance().log("history filed into " + machineId);
        done(MrOk);
        return;
    case InsertResult::WriteFailed:
        // The dealer was told; the history stays here to be filed again.
        CLogger::instance().log("history not filed into " + machineId + ": its record file could not be written");
        setProperty(FilingFailed, true);
        return;
    case InsertResult::NoRecord:
    case InsertResult::DateExists:
        user_.messageBox(MsgType::Error, catalogueText(Msg::HistoryDateExists), MbOK);
        return;
    }
}

void TinsertForm::createClick()
{
    done(MrAbort);
}

void TinsertForm::reject()
{
    // Closed after a filing failed: the history is offered as a .bin file
    // rather than dropped.
    if (property(FilingFailed).toBool() && history_)
        offerHistoryRescue(*history_, user_);
    done(MrCancel);
}

bool TinsertForm::eventFilter(QObject* watched, QEvent* event)
{
    // The list takes its first entry as current when it gets the focus, without
    // selecting it: the first arrow key selects that entry rather than the next.
    if (watched == machineIds_ && event->type() == QEvent::KeyPress && machineIds_->count() > 0
        && machineIds_->selectedItems().isEmpty()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            machineIds_->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
