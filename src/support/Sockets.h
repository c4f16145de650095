#pragma once
// The sockets layer's owners (Windows only): one use of Windows Sockets, and a socket.

#include <winsock2.h>

#include "support/WinHandles.h"

namespace SocketsDetail {
inline void Close(SOCKET s) {
    ::closesocket(s);
}
inline SOCKET NoSocket() {
    return INVALID_SOCKET;
}
} // namespace SocketsDetail

using UniqueSocket = TUniqueWinHandle<SOCKET, SocketsDetail::Close, SocketsDetail::NoSocket>;

// Owns one use of the sockets layer: a successful start-up is ended exactly once, on every
// path out. A failed start-up is not ended, as that would end another user's start-up.
class TSocketsStartup {
  public:
    TSocketsStartup() {
        WSADATA data{};
        started_ = ::WSAStartup(MAKEWORD(2, 0), &data) == 0;
    }
    ~TSocketsStartup() {
        if (started_)
            ::WSACleanup();
    }
    TSocketsStartup(const TSocketsStartup&) = delete;
    TSocketsStartup& operator=(const TSocketsStartup&) = delete;

    bool Started() const { return started_; }

  private:
    bool started_ = false;
};
