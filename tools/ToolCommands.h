#pragma once

#include <string>
#include <vector>

// Each command of quorvane-tool takes its arguments (without the command name)
// and returns the process's exit status.
int runShow(const std::vector<std::string>& args);
int runPorts(const std::vector<std::string>& args);
int runDownload(const std::vector<std::string>& args);
int runUpgrade(const std::vector<std::string>& args);
int runCheck(const std::vector<std::string>& args);
int runSample(const std::vector<std::string>& args);
int runServer(const std::vector<std::string>& args);
int runCopy(const std::vector<std::string>& args);
int runJournal(const std::vector<std::string>& args);
int runUndo(const std::vector<std::string>& args);
int runImport(const std::vector<std::string>& args);
// Only in a build with the user interface: the PDF writer is Qt's.
int runReport(const std::vector<std::string>& args);
