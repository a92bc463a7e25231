#pragma once

#include "Component/RecordImport.h"

#include <string>

class Clock;
class RecordDialogs;
class TDBMowerList;
class TVXLog;
class UserInteraction;

// Files the history held in the two hand-over buffers (after a download or a
// .bin import), dated with the clock's current local time: into the record
// with its serial number when the list has one, otherwise into the record the
// dealer picks in the insert dialog or a new one from the create dialog. The
// buffers are not changed. A history whose record cannot be read or written
// is offered as a .bin file (offerHistoryRescue): it is never lost unasked.
void fileHistory(const InfoFrameBuffer& infoFrame, const HistoryImageBuffer& historyImage, TDBMowerList& list,
                 RecordDialogs& dialogs, UserInteraction& user, Clock& clock);

// The .bin history file of a history, as a download writes it and Import
// history reads it back: the 16-byte info frame (rebuilt from the history's
// identity and version fields, every byte of it) followed by the image.
std::string binHistoryFile(const TVXLog& history);

// A history that could not be filed: the dealer is asked whether to save it
// as a .bin file, and where. A write that fails is reported and the question
// comes again, until the file is written, the dealer answers no or cancels
// the file dialog. True when the file was written.
bool offerHistoryRescue(const TVXLog& history, UserInteraction& user);
