#pragma once
// The signal of /keep on Windows: a named event in the global namespace, so that a console
// of any session reaches the apply that waits, with the single-instance objects' security.

#include "WayBack.h"

#include "support/WinHandles.h"

// The event's name.
extern const char* const KeepEventName;

class TKeepEvent : public IKeepSignal {
  public:
    bool Listen() override;
    bool Wait(unsigned seconds) override;
    bool Give() override;

  private:
    UniqueHandle event_;
};
