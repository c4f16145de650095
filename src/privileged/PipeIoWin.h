#pragma once
// Overlapped reads and writes of whole messages on a pipe of ours, each waited for until
// done, until the other side's process ends or the time runs out: the helper's pipe and
// the service's share them.

#include "support/WinHandles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// A manual-reset event for the pipe's overlapped operations.
UniqueHandle NewPipeEvent();

struct TPipeIo {
    HANDLE Pipe;
    HANDLE Event;
    std::vector<HANDLE> Others; // signalled: the wait ends, the operation failed
    DWORD Milliseconds;
    bool Painting; // the client's window keeps painting while it waits

    // The operation began with started; the bytes moved, or nothing. more is set when a
    // message was longer than the buffer.
    std::optional<DWORD> Finish(BOOL started, OVERLAPPED& overlapped, bool* more) const;
    // Whether Event came before the others and the time's end.
    bool WaitDone() const;
    bool Write(const std::string& message) const;
    // One whole message of at most MaxMessageBytes; nothing when the pipe broke, the wait
    // ended or the message was longer (what is left of it is read and dropped).
    std::optional<std::string> Read() const;
    void DropRestOfMessage() const;
    // Waits for a client to connect; false when one of the others came first, the time ran
    // out or the pipe failed.
    bool AwaitClient() const;
};
