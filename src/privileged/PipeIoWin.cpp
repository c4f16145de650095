#include "PipeIoWin.h"

#include "privileged/RequestFormat.h"
#include "support/Process.h"

UniqueHandle NewPipeEvent() {
    return UniqueHandle(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

std::optional<DWORD> TPipeIo::Finish(BOOL started, OVERLAPPED& overlapped, bool* more) const {
    if (!started) {
        const DWORD error = ::GetLastError();
        if (more && error == ERROR_MORE_DATA) {
            *more = true;
            return 0;
        }
        if (error != ERROR_IO_PENDING)
            return std::nullopt;
        if (!WaitDone()) {
            ::CancelIo(Pipe);
            DWORD ignored = 0;
            ::GetOverlappedResult(Pipe, &overlapped, &ignored, TRUE);
            return std::nullopt;
        }
    }
    DWORD moved = 0;
    if (::GetOverlappedResult(Pipe, &overlapped, &moved, FALSE))
        return moved;
    if (more && ::GetLastError() == ERROR_MORE_DATA) {
        *more = true;
        return moved;
    }
    return std::nullopt;
}

bool TPipeIo::WaitDone() const {
    std::vector<HANDLE> handles{Event};
    handles.insert(handles.end(), Others.begin(), Others.end());
    if (Painting)
        return WaitRepaintingForAny(handles, Milliseconds) == std::optional<std::size_t>(0);
    const DWORD woken = ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(),
                                                 FALSE, Milliseconds);
    return woken == WAIT_OBJECT_0;
}

bool TPipeIo::Write(const std::string& message) const {
    OVERLAPPED overlapped{};
    overlapped.hEvent = Event;
    const BOOL started =
        ::WriteFile(Pipe, message.data(), static_cast<DWORD>(message.size()), nullptr, &overlapped);
    const std::optional<DWORD> moved = Finish(started, overlapped, nullptr);
    return moved && *moved == message.size();
}

std::optional<std::string> TPipeIo::Read() const {
    std::string message(MaxMessageBytes, '\0');
    OVERLAPPED overlapped{};
    overlapped.hEvent = Event;
    bool more = false;
    const BOOL started =
        ::ReadFile(Pipe, message.data(), static_cast<DWORD>(message.size()), nullptr, &overlapped);
    const std::optional<DWORD> moved = Finish(started, overlapped, &more);
    if (!moved)
        return std::nullopt;
    if (more) {
        DropRestOfMessage();
        return std::nullopt;
    }
    message.resize(*moved);
    return message;
}

void TPipeIo::DropRestOfMessage() const {
    std::string rest(4096, '\0');
    for (;;) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = Event;
        bool more = false;
        const BOOL started =
            ::ReadFile(Pipe, rest.data(), static_cast<DWORD>(rest.size()), nullptr, &overlapped);
        if (!Finish(started, overlapped, &more) || !more)
            return;
    }
}

bool TPipeIo::AwaitClient() const {
    OVERLAPPED overlapped{};
    overlapped.hEvent = Event;
    if (::ConnectNamedPipe(Pipe, &overlapped))
        return true;
    switch (::GetLastError()) {
    case ERROR_PIPE_CONNECTED:
        return true;
    case ERROR_IO_PENDING: {
        if (WaitDone()) {
            DWORD ignored = 0;
            return ::GetOverlappedResult(Pipe, &overlapped, &ignored, FALSE);
        }
        ::CancelIo(Pipe);
        DWORD ignored = 0;
        ::GetOverlappedResult(Pipe, &overlapped, &ignored, TRUE);
        return false;
    }
    default:
        return false;
    }
}
