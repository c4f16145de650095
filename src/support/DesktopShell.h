#pragma once
// Opening things through the desktop's shell (Windows only), for a program an administrator
// started elevated: what it starts itself inherits those rights, and a browser showing the
// help or a web page would browse as administrator. The shell that draws the desktop runs
// with the user's own rights, and what it starts runs with those.

#include <string>

// Asks the desktop's shell to open file (a full path or an address), or to start it with
// arguments when it is a program. False when there is no desktop shell to ask (none runs,
// or it offers no automation), and nothing was started; the caller must not open it with
// its own elevated rights then.
// The shell reports a failure to the user in its own way.
bool OpenThroughDesktopShell(const std::string& file, const std::string& arguments = "");
