#pragma once
// Messages to a person. Any thread.
#include <string>

namespace plat {

// Shows the text in a message box and returns when it is closed. Only for a
// program a person started (the service's install switches). POSIX: stderr.
void ShowMessage(const std::string& caption, const std::string& text, bool error);

// Puts the text on the active console session's desktop without waiting for
// anybody to close it: safe in an unattended program. POSIX: stderr.
void NotifyUserNoWait(const std::string& caption, const std::string& text);

}  // namespace plat
