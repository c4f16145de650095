#include "KeepSignalWin.h"

#include "SingleInstance.h"

const char* const KeepEventName = "Global\\Netvane.Keep";

bool TKeepEvent::Listen() {
    TAdministratorsOnly security;
    event_.reset(::CreateEventA(security.get(), TRUE, FALSE, KeepEventName));
    // One that exists already is another apply's, which its /keep is meant for.
    if (event_ && ::GetLastError() == ERROR_ALREADY_EXISTS)
        event_.reset();
    return static_cast<bool>(event_);
}

bool TKeepEvent::Wait(unsigned seconds) {
    return event_ && ::WaitForSingleObject(event_.get(), seconds * 1000) == WAIT_OBJECT_0;
}

bool TKeepEvent::Give() {
    const UniqueHandle waiting(::OpenEventA(EVENT_MODIFY_STATE, FALSE, KeepEventName));
    return waiting && ::SetEvent(waiting.get());
}
