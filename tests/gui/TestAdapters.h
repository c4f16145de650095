#pragma once
// Network adapters made up for a test in the (Wine) registry of the test's own prefix,
// and settings stored for them; everything made is removed again at the end.

#include <string>
#include <vector>

// The adapter class key as the system spells it, without the leading "\".
extern const char* const TestAdapterClassKey;

class TTestAdapters {
  public:
    TTestAdapters();
    ~TTestAdapters();
    TTestAdapters(const TTestAdapters&) = delete;
    TTestAdapters& operator=(const TTestAdapters&) = delete;

    // Adds an Ethernet adapter under the next class subkey (0000, 0001 ...) and its TCP/IP
    // interface key.
    void Add(const std::string& id, const std::string& description);

    // Takes every adapter away again.
    void RemoveAll();

  private:
    int next_ = 0;
    std::vector<std::string> interfaceKeys_;
};

struct TStoredSetting {
    std::string Adapter, Title, Address, Submask, Gateway, DNS1, DNS2, Proxy;
};

// Creates the database file at path (if missing) and stores the settings in order.
void StoreSettings(const std::string& dbPath, const std::vector<TStoredSetting>& settings);
