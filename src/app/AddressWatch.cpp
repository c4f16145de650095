#include "AddressWatch.h"

#include "support/SystemLibrary.h"

namespace {

constexpr USHORT InternetFamily = 2; // AF_INET, without the sockets headers

// As iphlpapi declares them (netioapi.h); the row and the kind of change are not looked at.
using TChangeCallback = void(CALLBACK*)(PVOID context, PVOID row, int type);
using TNotifyChange = DWORD(WINAPI*)(USHORT family, TChangeCallback callback, PVOID context,
                                     BOOLEAN initialNotification, HANDLE* handle);
using TCancelNotify = DWORD(WINAPI*)(HANDLE handle);

const UniqueLibrary& IpHelper() {
    static const UniqueLibrary library(LoadSystemLibrary("iphlpapi.dll"));
    return library;
}

} // namespace

TAddressWatch::TAddressWatch(HWND window, UINT message) : window_(window), message_(message) {
    handle_ = Register("NotifyUnicastIpAddressChange");
    // A cable plugged in or out, a gateway or a lease renewed: the interface changes, and
    // its addresses need not.
    interfaceHandle_ = Register("NotifyIpInterfaceChange");
}

HANDLE TAddressWatch::Register(const char* function) {
    // Both take the same arguments; the row each passes is not looked at.
    const auto notify = LibraryFunction<TNotifyChange>(IpHelper(), function);
    HANDLE handle = nullptr;
    if (notify && notify(InternetFamily, &TAddressWatch::Changed, this, FALSE, &handle) == NO_ERROR)
        return handle;
    return nullptr;
}

TAddressWatch::~TAddressWatch() {
    const auto cancel = LibraryFunction<TCancelNotify>(IpHelper(), "CancelMibChangeNotify2");
    // Returns once no notice runs any more: none can reach this object after.
    for (HANDLE handle : {handle_, interfaceHandle_})
        if (handle && cancel)
            cancel(handle);
}

void CALLBACK TAddressWatch::Changed(PVOID context, PVOID, int) {
    const auto* watch = static_cast<const TAddressWatch*>(context);
    ::PostMessageA(watch->window_, watch->message_, 0, 0);
}
