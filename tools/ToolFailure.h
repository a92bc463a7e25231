#pragma once

#include <string>

// Prints "quorvane-tool: MESSAGE" on one line of standard error (line breaks
// in the message made blanks) and returns the failure's exit status, 1.
int toolFailure(const std::string& message);

// Inside a catch block around the reading of a record or history file: what
// the tool says about the file, "PATH: reason". Anything but a damaged or
// malformed file goes on up.
std::string readFailureText(const std::string& path);
