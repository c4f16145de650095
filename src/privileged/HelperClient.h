#pragma once
// The client of the helper: Netvane.exe started again with administrator rights for this
// process alone, when it is first needed, over a pipe of a random name. The helper ends when
// this process ends or after ten idle minutes; a request after that starts it again. The
// system's part is a seam, so that every way this can go is driven in tests.

#include "netcfg/AdapterSwitch.h"

#include <cstddef>
#include <string>

// What the user is told when they refused the consent prompt.
extern const char* const ConsentRefusedMessage;

// The switch the helper is started with, its pipe's name and the client's process id after it.
inline constexpr char HelperSwitch[] = "/elevated-helper";

// "\\.\pipe\Netvane.Helper.<32 hex digits>" from 16 random bytes.
std::string HelperPipeName(const unsigned char (&random)[16]);
// Whether name is such a name.
bool IsHelperPipeName(const std::string& name);

class IHelperSystem {
  public:
    virtual ~IHelperSystem() = default;
    enum class TLaunch { Started, Refused, Failed };
    // Starts the helper with HelperSwitch, pipeName and this process's id, asking for consent.
    // Failed: error says why.
    virtual TLaunch Launch(const std::string& pipeName, std::string& error) = 0;
    // Connects to the pipe of the helper just started, checking that the helper made it;
    // false when it ended or did not come up.
    virtual bool Connect(const std::string& pipeName) = 0;
    enum class TTransact { Answered, NotSent, NoAnswer };
    // One message and its answer over the connection.
    virtual TTransact Transact(const std::string& message, std::string& answer) = 0;
    virtual void Disconnect() = 0;
    virtual bool Random(unsigned char (&bytes)[16]) = 0;
    // Why no helper may be started from this program's folder; empty when it may.
    virtual std::string FolderRefusal() = 0;
};

class THelperSwitch : public IAdapterSwitch {
  public:
    explicit THelperSwitch(IHelperSystem& system) : system_(system) {}
    TAdapterReply Apply(const TAdapterRequest& request) override;
    std::string Route() const override { return "through the helper"; }
    bool AsksConsent() const override { return true; }

  private:
    void Start();
    // Drops the helper's connection: the next request starts a new helper.
    void Forget();
    IHelperSystem& system_;
    bool connected_ = false;
};
