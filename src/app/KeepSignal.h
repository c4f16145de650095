#pragma once
// Which applies /keep reaches. Each apply that waits with /keep-within makes an event of a
// name nobody can guess and adds that name to a record only its own rights can write;
// /keep signals the events the records name. A fixed name could be taken first by any
// user, and every apply would then refuse to wait. An elevated apply keeps the machine's
// record and a global event for administrators; one of the user's own rights can make
// neither, and keeps the user's record and an event of the session for that user. /keep
// reads both records and signals what it may open. Portable: the system's part is
// IKeepSystem.

#include "WayBack.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// The random part of an event's name: 32 lower-case hex digits from 16 random bytes.
inline constexpr std::size_t KeepTokenBytes = 16;
std::string KeepToken(const std::array<unsigned char, KeepTokenBytes>& random);
bool IsKeepToken(const std::string& text);
// Whose record names an apply, and where its event lies.
enum class TKeepScope {
    Machine, // an elevated apply: the machine's record, a global event, so that a console
             // of any session reaches it
    User,    // an apply of the user's rights: the user's record, an event of the session
};
inline constexpr TKeepScope KeepScopes[] = {TKeepScope::Machine, TKeepScope::User};
std::string KeepEventName(const std::string& token, TKeepScope scope);

// The record's text: the tokens of the applies that wait, in order, one space between.
// Reading keeps the well-formed tokens alone: anything else names no event.
std::string KeepRecordText(const std::vector<std::string>& tokens);
std::vector<std::string> KeepRecordTokens(const std::string& text);

// What the signal needs of the system.
class IKeepSystem {
  public:
    virtual ~IKeepSystem() = default;
    // Fills bytes from the system's random source; false when there is none.
    virtual bool Random(unsigned char* bytes, std::size_t count) = 0;
    // Whether this process runs elevated: its applies are the machine's.
    virtual bool Elevated() = 0;
    // The record's text; "" when there is none or it cannot be read.
    virtual std::string ReadRecord(TKeepScope scope) = 0;
    virtual bool WriteRecord(TKeepScope scope, const std::string& text) = 0;
    // Makes the event to wait on, for administrators alone (Machine) or this user alone
    // (User); false when one of that name exists already or it cannot be made.
    virtual bool MakeEvent(const std::string& name, TKeepScope scope) = 0;
    virtual bool WaitEvent(unsigned seconds) = 0;
    // Whether an event of that name exists now (someone holds it).
    virtual bool EventExists(const std::string& name) = 0;
    // Signals the event of that name; false when there is none or it cannot be signalled.
    virtual bool SignalEvent(const std::string& name) = 0;
};

class TKeepSignal : public IKeepSignal {
  public:
    explicit TKeepSignal(IKeepSystem& system) : system_(system) {}
    // Takes this signal's token out of the record when an apply ends without waiting.
    ~TKeepSignal() override;
    TKeepSignal(const TKeepSignal&) = delete;
    TKeepSignal& operator=(const TKeepSignal&) = delete;

    // A new event and its token added to the record, beside those of applies that still
    // wait; tokens whose events are gone (an apply that ended without clearing) are dropped.
    bool Listen() override;
    bool Wait(unsigned seconds) override;
    // Signals every apply the records name; true when one took it.
    bool Give() override;

  private:
    void Forget();

    IKeepSystem& system_;
    std::string token_;                      // in the record while listening; empty otherwise
    TKeepScope scope_ = TKeepScope::Machine; // the record token_ is in
};
