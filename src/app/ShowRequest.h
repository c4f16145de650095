#pragma once
// A later start asks the first one to show its main window instead of showing it from
// outside: the first start shows it by its own path, so that what it keeps about the window
// stays true, whatever state the window was left in (minimised, hidden in the notification
// area, never shown since a start with /tray).

#include <windows.h>

// The message that asks a main window to come up: registered by name, so the same number in
// every process of the session; 0 where it could not be registered.
UINT ShowRequestMessage();

// A later start: lets the process that made window take the foreground, which Windows allows
// only to the process the user works with (this one), and posts it the request. False when
// the request could not be posted.
bool RequestShow(HWND window);

// The window shown, restored and in front; when it shows a dialog or a box, that in front of
// it, since that is what the user has to answer first.
void BringWindowUp(HWND window);

// The first start's main window, for each message it receives: brings it up when the
// message is the request; true then.
bool AnswerShowRequest(HWND window, UINT message);
