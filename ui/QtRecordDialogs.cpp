#include "ui/QtRecordDialogs.h"

#include "core/CLogger.h"
#include "ui/QtUserInteraction.h"
#include "ui/TcreateForm.h"
#include "ui/TinsertForm.h"

namespace {

bool noOneToAsk(const char* dialog)
{
    if (!QtUserInteraction::unattended())
        return false;
    CLogger::instance().log(std::string("Not shown, the session is ending: the ") + dialog
                            + " dialog; history not filed");
    return true;
}

}  // namespace

QtRecordDialogs::QtRecordDialogs(TDBMowerList& list, UserInteraction& user, QWidget* parent)
    : list_(list), user_(user), parent_(parent)
{
}

int QtRecordDialogs::showInsertDialog(std::unique_ptr<TVXLog>& history)
{
    if (noOneToAsk("insert"))
        return MrCancel;
    TinsertForm dialog(list_, history, user_, parent_);
    return dialog.exec();
}

int QtRecordDialogs::showCreateDialog(std::uint8_t typeCode, std::unique_ptr<TVXLog>& history)
{
    if (noOneToAsk("create"))
        return MrCancel;
    TcreateForm dialog(list_, typeCode, history, user_, parent_);
    return dialog.exec();
}
