#pragma once
// The system's part of the /keep signal on Windows: events in the global namespace, so
// that a console of any session reaches the apply that waits, with the single-instance
// objects' security; the record in HKEY_LOCAL_MACHINE, in the registry's 64-bit view so
// that both builds share it; random names from the system's generator.

#include "KeepSignal.h"

#include "support/WinHandles.h"

// Where the record is kept (HKEY_LOCAL_MACHINE) and the value that holds it.
extern const char* const KeepRecordKey;
extern const char* const KeepRecordValue;

class TKeepEvents : public IKeepSystem {
  public:
    bool Random(unsigned char* bytes, std::size_t count) override;
    std::string ReadRecord() override;
    bool WriteRecord(const std::string& text) override;
    bool MakeEvent(const std::string& name) override;
    bool WaitEvent(unsigned seconds) override;
    bool EventExists(const std::string& name) override;
    bool SignalEvent(const std::string& name) override;

  private:
    UniqueHandle event_;
};
