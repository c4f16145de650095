#pragma once
// The system's part of the /keep signal on Windows. Elevated: events in the global
// namespace, so that a console of any session reaches the apply that waits, for
// administrators and the system alone; the record in HKEY_LOCAL_MACHINE. Of the user's own
// rights: events of the session, for the user and the system alone; the record in
// HKEY_CURRENT_USER. Both records in the registry's 64-bit view so that both builds share
// them; random names from the system's generator.

#include "KeepSignal.h"

#include "support/WinHandles.h"

// Where the records are kept (the machine's under HKEY_LOCAL_MACHINE, the user's under
// HKEY_CURRENT_USER) and the value that holds each.
extern const char* const KeepRecordKey;
extern const char* const KeepUserRecordKey;
extern const char* const KeepRecordValue;

class TKeepEvents : public IKeepSystem {
  public:
    bool Random(unsigned char* bytes, std::size_t count) override;
    bool Elevated() override;
    std::string ReadRecord(TKeepScope scope) override;
    bool WriteRecord(TKeepScope scope, const std::string& text) override;
    bool MakeEvent(const std::string& name, TKeepScope scope) override;
    bool WaitEvent(unsigned seconds) override;
    bool EventExists(const std::string& name) override;
    bool SignalEvent(const std::string& name) override;

  private:
    UniqueHandle event_;
};
