#pragma once
// Network adapters made up for a test or a benchmark in the (Wine) registry of its own
// prefix, and settings stored for them; everything made is removed again at the end.
//
// The adapter class key under HKEY_LOCAL_MACHINE is taken over only where no adapters of a
// real machine live: the key must be missing, or carry the mark these helpers leave on a
// key they created. On a real Windows machine the key exists without the mark, and taking
// it fails with a clear message before anything is changed.

#include <string>
#include <vector>

// The adapter class key as the system spells it, without the leading "\".
extern const char* const TestAdapterClassKey;

class TTestAdapters {
  public:
    // Throws std::runtime_error, touching nothing, when the adapter class key exists and was
    // not made by these helpers.
    TTestAdapters();
    ~TTestAdapters();
    TTestAdapters(const TTestAdapters&) = delete;
    TTestAdapters& operator=(const TTestAdapters&) = delete;

    // Adds an adapter under the next class subkey (0000, 0001 ...) and its TCP/IP interface
    // key: an Ethernet one unless lowerRange names other media ("wlan,ethernet,vwifi").
    void Add(const std::string& id, const std::string& description,
             const std::string& lowerRange = "ethernet");

    // Gives an added adapter the connection name Windows shows for it ("Ethernet 2").
    void SetConnectionName(const std::string& id, const std::string& name);

    // Takes every adapter away again, and the class key with them.
    void RemoveAll();

  private:
    int next_ = 0;
    std::vector<std::string> interfaceKeys_;
    std::vector<std::string> connectionKeys_;
};

struct TStoredSetting {
    std::string Adapter, Title, Address, Submask, Gateway, DNS1, DNS2, Proxy;
    bool operator==(const TStoredSetting&) const = default;
};

// Creates the database file at path (if missing) and stores the settings in order.
void StoreSettings(const std::string& dbPath, const std::vector<TStoredSetting>& settings);
