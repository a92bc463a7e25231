// The main window's command flow: each command of the menus and toolbar,
// and what holds while one runs (no second command, a close that waits).
#include "ui/TTVXMainForm.h"

#include "Component/HistoryFiling.h"
#include "Component/RecordImport.h"
#include "Component/TDBMowerList.h"
#include "core/AppTexts.h"
#include "core/CLogger.h"
#include "core/Clock.h"
#include "link/MowerLink.h"
#include "ui/CommandInputGate.h"
#include "ui/QtRecordDialogs.h"
#include "ui/RecordWindowArea.h"
#include "ui/TTVXOptionForm.h"
#include "ui/UiTexts.h"

#include <QAction>
#include <QMdiArea>
#include <QStatusBar>
#include <QTimer>

namespace {

// The import dialog's filters; the .dat import starts on the first, the .bin import on the second.
std::vector<FileFilter> importFilters()
{
    return {{"database", "*.dat"}, {"history", "*.bin"}, {"All files", "*.*"}};
}

}  // namespace

void TTVXMainForm::setCommandRunning(bool running)
{
    inputGate_->setBusy(running);
    // What cannot be chosen while a command runs looks so; Exit stays.
    if (running) {
        for (QAction* action : {ImportMenuItem_, ImportBinMenuItem_, updateMenuItem_, loadHistMenuItem_,
                                configMenuItem_, cascMenuItem_, upgradeToolButt_, uploadToolButt_}) {
            pausedActions_.emplace_back(action, action->isEnabled());
            action->setEnabled(false);
        }
    } else {
        for (const auto& [action, enabled] : pausedActions_)
            if (action)
                action->setEnabled(enabled);
        pausedActions_.clear();
    }
}

void TTVXMainForm::closeAfterCommand()
{
    if (!closeWhenCommandEnds_)
        CLogger::instance().log("Closing when the running command ends");
    closeWhenCommandEnds_ = true;
    statusBar()->setObjectName("StatusBar");
    statusBar()->showMessage(uiText(AppText::ClosingAfterCommand));
}

TTVXMainForm::CommandScope::CommandScope(TTVXMainForm& form)
    : form_(form)
{
    if (form_.runningCommands_++ == 0)
        form_.setCommandRunning(true);
}

TTVXMainForm::CommandScope::~CommandScope()
{
    if (--form_.runningCommands_ != 0)
        return;
    form_.setCommandRunning(false);
    if (form_.closeWhenCommandEnds_)
        QTimer::singleShot(0, &form_, &QWidget::close);
}

void TTVXMainForm::updateMenuItemClick()
{
    if (!link_ || commandRunning())
        return;
    CommandScope running(*this);
    link_->upgradeFirmware([this]() {
        return user_->chooseOpenFile(std::string(), {{"Tarvex Upgrade File", "*.TVF"}}, 1);
    });
}

void TTVXMainForm::loadHistMenuItemClick()
{
    TDBMowerList* list = mowerList();
    if (!link_ || list == nullptr || commandRunning())
        return;
    CommandScope running(*this);
    if (link_->downloadHistory(infoFrame, historyImage))
        fileHistory(infoFrame, historyImage, *list, *recordDialogs_, *user_, SystemClock::instance());
}

void TTVXMainForm::ImportMenuItemClick()
{
    TDBMowerList* list = mowerList();
    if (list == nullptr || commandRunning())
        return;
    CommandScope running(*this);
    if (const auto path = user_->chooseOpenFile(std::string(), importFilters(), 1))
        importDatFile(*path, *list, *user_);
}

void TTVXMainForm::ImportBinMenuItemClick()
{
    TDBMowerList* list = mowerList();
    if (list == nullptr || commandRunning())
        return;
    CommandScope running(*this);
    const auto path = user_->chooseOpenFile(std::string(), importFilters(), 2);
    if (path && readBinFile(*path, infoFrame, historyImage, *user_))
        fileHistory(infoFrame, historyImage, *list, *recordDialogs_, *user_, SystemClock::instance());
}

void TTVXMainForm::configMenuItemClick()
{
    if (optionForm_ && !commandRunning())
        optionForm_->exec();
}

void TTVXMainForm::ExitMenuItemClick()
{
    close();
}

void TTVXMainForm::cascMenuItemClick()
{
    recordWindows_->cascade();
}

void TTVXMainForm::NameRadioButtClick()
{
    mowerList_->SortByName();
}

void TTVXMainForm::MachineIdRadioButtClick()
{
    mowerList_->SortByMachineId();
}
