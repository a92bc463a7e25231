#pragma once

#include "Component/RecordImport.h"

class Clock;
class RecordDialogs;
class TDBMowerList;
class UserInteraction;

// Files the history held in the two hand-over buffers (after a download or a
// .bin import), dated with the clock's current local time: into the record
// with its serial number when the list has one, otherwise into the record the
// dealer picks in the insert dialog or a new one from the create dialog. The
// buffers are not changed.
void fileHistory(const InfoFrameBuffer& infoFrame, const HistoryImageBuffer& historyImage, TDBMowerList& list,
                 RecordDialogs& dialogs, UserInteraction& user, Clock& clock);
