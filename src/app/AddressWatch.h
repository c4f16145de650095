#pragma once
// Windows' notice of every change of an IPv4 address or interface on the machine
// (NotifyUnicastIpAddressChange and NotifyIpInterfaceChange of iphlpapi). The notice comes on a
// thread of the system's: it only posts a message to the window, which reads the state again on its
// own thread.

#include <windows.h>

class TAddressWatch {
  public:
    // Posts message to window for each change, from now until the watch ends.
    TAddressWatch(HWND window, UINT message);
    // Cancelled here, on the window's thread, never inside the notice.
    ~TAddressWatch();
    TAddressWatch(const TAddressWatch&) = delete;
    TAddressWatch& operator=(const TAddressWatch&) = delete;

    // False where the system gives no notices (the library or its function missing, or a
    // refusal); Wine 8.0 accepts the call but gives no handle and no notice.
    bool Watching() const { return handle_ != nullptr; }

  private:
    HANDLE Register(const char* function);
    static void CALLBACK Changed(PVOID context, PVOID row, int type);

    HWND window_;
    UINT message_;
    HANDLE handle_ = nullptr;
    HANDLE interfaceHandle_ = nullptr;
};
