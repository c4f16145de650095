#include "app/CommandLine.h"
#include "app/KeepSignal.h"
#include "app/WayBack.h"

#include "netcfg/MemoryRegistry.h"
#include "netcfg/SwitchCheck.h"
#include "support/AccessRules.h"
#include "store/ProfileStore.h"
#include "support/Files.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

TEST(WayBack, CountsDownInWholeSecondsRoundedUp) {
    const TRevertCountdown countdown(30, 1000);
    const std::pair<std::uint64_t, unsigned> cases[] = {
        {1000, 30}, {1001, 30}, {1999, 30}, {2000, 29}, {30999, 1}, {31000, 0}, {99999, 0}};
    for (const auto& [now, left] : cases)
        EXPECT_EQ(left, countdown.SecondsLeft(now)) << now;
    EXPECT_EQ("Going back to the previous settings in 30 s", countdown.Text(1000));
    EXPECT_TRUE(countdown.Ended(31000));
    EXPECT_FALSE(countdown.Ended(30999));
}

TEST(WayBack, TakesItsLengthAndOptionFromTheSettingsFile) {
    TTempFolder dir;
    TConfig config(dir / "config.ini");
    const std::pair<const char*, int> cases[] = {{"", 30},   {"x", 30},   {"45", 45}, {"10", 10},
                                                 {"9", 10},  {"-5", 10},  {"600", 600},
                                                 {"601", 600}};
    for (const auto& [text, seconds] : cases) {
        config.WriteValue("RevertSeconds", text);
        EXPECT_EQ(seconds, RevertSeconds(config)) << text;
    }
    EXPECT_FALSE(RevertWhenUnreachable(config));
    SaveRevertWhenUnreachable(config, true);
    EXPECT_TRUE(RevertWhenUnreachable(TConfig(dir / "config.ini")));
}

// Answers as scripted; counts what it was asked.
class TScriptedNetwork : public IReachability {
  public:
    std::optional<unsigned> Echo(const std::string& address, unsigned timeoutMs) override {
        Asked.push_back("echo " + address + " " + std::to_string(timeoutMs));
        return Asked.size() >= EchoAnswersAt ? std::optional<unsigned>(2) : std::nullopt;
    }
    bool DnsAnswers(const std::string& address, std::uint16_t port, unsigned) override {
        Asked.push_back("dns " + address + ":" + std::to_string(port));
        return address == AnsweringDns;
    }
    size_t EchoAnswersAt = 1;
    std::string AnsweringDns;
    std::vector<std::string> Asked;
};

TEST(WayBack, ChecksTheGatewayUpToThreeTimesAndEachDnsServer) {
    TLiveState state;
    state.Gateways = {"127.0.0.1", "127.0.0.9"};
    state.DnsServers = {"127.0.0.2", "127.0.0.3"};
    struct Case {
        size_t echoAnswersAt;
        size_t echoes;
        bool answers;
        const char* gatewayLine;
    } cases[] = {
        {1, 1, true, "Gateway 127.0.0.1 answers (2 ms)"},
        {3, 3, true, "Gateway 127.0.0.1 answers (2 ms)"},
        {4, 3, false, "Gateway 127.0.0.1 does not answer"},
    };
    for (const Case& c : cases) {
        TScriptedNetwork network;
        network.EchoAnswersAt = c.echoAnswersAt;
        network.AnsweringDns = "127.0.0.3";
        const TConnectionReport report = CheckConnection(state, network, {1000, 3, 2000, 5353});
        EXPECT_EQ(c.answers, report.GatewayAnswers);
        EXPECT_EQ((std::vector<std::string>{c.gatewayLine, "DNS 127.0.0.2 does not answer",
                                            "DNS 127.0.0.3 answers"}),
                  report.Lines);
        EXPECT_EQ(c.echoes + 2, network.Asked.size());
        EXPECT_EQ("echo 127.0.0.1 1000", network.Asked.front());
        EXPECT_EQ("dns 127.0.0.3:5353", network.Asked.back());
    }
    TScriptedNetwork network;
    const TConnectionReport none = CheckConnection(TLiveState{}, network);
    EXPECT_TRUE(none.GatewayAnswers);
    EXPECT_TRUE(network.Asked.empty());
}

const std::string AdapterId = "{AAAAAAAA-0000-0000-0000-0000000000C1}";
const std::string AdapterPath =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + AdapterId;

class TKeepScript : public IKeepSignal, public ICommandOutput, public INetServices {
  public:
    bool Listen() override { return Listening = true; }
    bool Wait(unsigned seconds) override {
        Waited = seconds;
        return KeepComes;
    }
    bool Give() override { return Listening; }
    void Print(const std::string& line) override { Lines.push_back(line); }
    void Error(const std::string& message) override { Lines.push_back("error " + message); }
    std::uint32_t NotifyDhcpClient(const TIP&) override { return 0; }
    int RunSystemProgram(const std::string&, std::uint16_t) override { return 0; }
    bool GetLocalIP(std::string&) override { return false; }
    void SetStatusText(const std::string&) override {}
    void SetWaitCursor(bool) override {}
    void ShowMessage(const std::string& text) override { Lines.push_back("message " + text); }
    bool NotifyProxyChanged() override { return true; }
    bool Listening = false, KeepComes = false;
    unsigned Waited = 0;
    std::vector<std::string> Lines;
};

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(WayBack, KeepWithinGoesBackWithoutKeepAndEndsWithItsOwnCodeWithIt) {
    TTempFolder dir;
    CreateProfileDatabase(dir / "db");
    TProfileTable table;
    table.Open(dir / "db");
    table.Insert();
    for (const auto& [name, value] : {std::pair{"Adapter", AdapterId}, {"Title", "Lab"},
                                      {"Address", "10.0.0.5"}, {"Submask", "255.0.0.0"}})
        table.SetFieldText(name, value);
    table.Post();
    for (const bool keepComes : {false, true}) {
        SCOPED_TRACE(keepComes ? "kept" : "not kept");
        TMemoryRegistry registry;
        registry.AddEthernetAdapter(AdapterId);
        registry.OpenKey(TRootKey::LocalMachine, AdapterPath, true)
            ->SetValue("EnableDHCP", RegDword, std::string("\x01\0\0\0", 4));
        TKeepScript script;
        script.KeepComes = keepComes;
        const int code = RunCommandLine(ParseCommandLine({"/apply", "Lab", "/keep-within", "10"}),
                                        dir.Path(), registry, script, script, {nullptr, &script});
        EXPECT_EQ(keepComes ? ExitDone : ExitWentBack, code);
        EXPECT_EQ(10u, script.Waited);
        EXPECT_EQ("The new settings are applied and in use", script.Lines.front());
        const auto dhcp = registry.Value(TRootKey::LocalMachine, AdapterPath, "EnableDHCP");
        EXPECT_EQ(std::string(keepComes ? "\0\0\0\0" : "\x01\0\0\0", 4), dhcp->Bytes);
        EXPECT_EQ(keepComes ? "Kept" : "Went back to the previous settings (DHCP); they are in use",
                  script.Lines.back());
    }
    // The log has both applies and the one way back.
    const std::string log = ReadFileText(dir / "netvane.log");
    EXPECT_EQ(2, CountOf(log, "  Lab  ")) << log;
    EXPECT_EQ(1, CountOf(log, WentBackLogName)) << log;
    TMemoryRegistry registry;
    TKeepScript nobody;
    EXPECT_EQ(ExitNothingWaiting, RunCommandLine(ParseCommandLine({"/keep"}), dir.Path(), registry,
                                                 nobody, nobody, {nullptr, &nobody}));
    for (const auto& wrong : std::vector<std::vector<std::string>>{
             {"/apply", "Lab", "/keep-within", "9"}, {"/apply", "Lab", "/keep-within", "x"},
             {"/dhcp", "/keep-within", "30"}, {"/apply", "Lab", "/keep-within"}})
        EXPECT_THROW(ParseCommandLine(wrong), TUsageError) << wrong.back();
}

TEST(WayBack, WhatTheApplySaidIsALineOfTheBoxAndGoingBackIsOneMessage) {
    using enum TSwitchOutcome;
    const std::string absent = "the adapter is not present in Windows now", x = "another uses it";
    const std::string proxy = ProxyNotSetMessage, differs = "Lan does not use 10.0.0.5/8";
    const TSwitchResult missing{
        .AdapterMissing = true, .Reason = absent, .Message = NotPresentMessage("Lan")};
    const TSwitchResult cable{
        .Outcome = WaitingForCable, .Reason = "", .Message = WaitingForCableMessage("Lan")};
    const std::string back = "Went back to the previous settings; ", two = "\r\n\r\n";
    struct Case {
        TSwitchResult result;
        std::vector<std::string> said, lines;
        std::string wentBack;
    } cases[] = {
        {missing,
         {missing.Message},
         {"The new settings are saved, but " + absent},
         back + "Windows does not use them: " + absent},
        {cable,
         {cable.Message, proxy},
         {"The new settings are saved; the adapter is not connected", proxy},
         back + "the adapter is not connected" + two + proxy},
        {{.Reason = x, .Message = differs},
         {differs},
         {"Windows does not use the new settings: " + x, differs},
         back + "Windows does not use them: " + x + two + differs},
        {{.Outcome = Applied, .Reason = "", .Message = ""},
         {},
         {"The new settings are applied and in use"},
         back + "they are in use"},
    };
    for (const Case& c : cases) {
        TWayBackApply apply;
        apply.Result = c.result;
        EXPECT_EQ(c.lines, WayBackLines(apply, c.said));
        EXPECT_EQ(c.wentBack, WentBackText({false, c.result, ""}, c.said));
    }
    EXPECT_EQ("Could not go back to the previous settings: gone",
              WentBackText({true, missing, "gone"}));
}

// One process's view of a machine's named events and records; its event goes when it ends.
// Global events are for administrators: only an elevated process opens one.
struct TKeepMachine {
    std::set<std::string> events, signalled;
    std::map<TKeepScope, std::string> records;
    bool recordWritable = true;
    unsigned char nextRandom = 0;
    std::string& record = records[TKeepScope::Machine];
};
class TKeepProcess : public IKeepSystem {
  public:
    TKeepProcess(TKeepMachine& machine, bool hasRandom = true, bool elevated = true)
        : m_(machine), random_(hasRandom), elevated_(elevated) {}
    ~TKeepProcess() override { m_.events.erase(made_); }
    bool Random(unsigned char* bytes, std::size_t count) override {
        std::fill(bytes, bytes + count, m_.nextRandom++);
        return random_;
    }
    bool Elevated() override { return elevated_; }
    std::string ReadRecord(TKeepScope scope) override { return m_.records[scope]; }
    bool WriteRecord(TKeepScope scope, const std::string& text) override {
        m_.records[scope] = m_.recordWritable ? text : m_.records[scope];
        return m_.recordWritable;
    }
    bool MakeEvent(const std::string& name, TKeepScope scope) override {
        if (scope == TKeepScope::Machine && !elevated_)
            return false;
        return m_.events.insert(name).second && !(made_ = name).empty();
    }
    bool WaitEvent(unsigned) override { return m_.signalled.count(made_) > 0; }
    bool EventExists(const std::string& name) override { return m_.events.count(name) > 0; }
    bool SignalEvent(const std::string& name) override {
        if (name.starts_with("Global\\") && !elevated_)
            return false;
        return m_.events.count(name) > 0 && m_.signalled.insert(name).second;
    }

  private:
    TKeepMachine& m_;
    bool random_;
    bool elevated_;
    std::string made_;
};

TEST(KeepSignal, NamesAreUnguessableTokensAndTheRecordNamesNothingElse) {
    std::array<unsigned char, KeepTokenBytes> random{0xAB};
    random[15] = 0x0F;
    const std::string token = KeepToken(random), other(32, '7');
    EXPECT_EQ("ab00000000000000000000000000000f", token);
    EXPECT_EQ("Global\\Netvane.Keep." + token, KeepEventName(token, TKeepScope::Machine));
    EXPECT_EQ("Local\\Netvane.Keep." + token, KeepEventName(token, TKeepScope::User));
    const std::pair<std::string, std::vector<std::string>> records[] = {
        {"", {}},
        {token + " " + other + " " + token, {token, other}},
        {"AB00000000000000000000000000000F", {}},
        {token + "0 ..\\x " + other.substr(1) + "  " + other, {other}},
    };
    for (const auto& [text, tokens] : records) {
        EXPECT_EQ(tokens, KeepRecordTokens(text)) << text;
        EXPECT_EQ(KeepRecordTokens(KeepRecordText(tokens)), tokens) << text;
    }
}

TEST(KeepSignal, NoNameTakenFirstStopsAWaitAndKeepReachesEveryApplyThatWaits) {
    TKeepMachine machine;
    // Someone took the name a wait used to have, and left a stale name in the record.
    machine.events = {"Global\\Netvane.Keep"};
    machine.record = std::string(32, 'e');
    {
        TKeepProcess first(machine), second(machine), keeper(machine);
        TKeepSignal firstApply(first), secondApply(second);
        ASSERT_TRUE(firstApply.Listen() && secondApply.Listen());
        EXPECT_EQ(2u, KeepRecordTokens(machine.record).size()) << "the stale name is dropped";
        EXPECT_TRUE(TKeepSignal(keeper).Give());
        EXPECT_TRUE(firstApply.Wait(10) && secondApply.Wait(10));
        EXPECT_EQ("", machine.record);
    }
    TKeepProcess keeper(machine), waiting(machine);
    EXPECT_FALSE(TKeepSignal(keeper).Give()) << "nobody waits";
    ASSERT_TRUE(TKeepSignal(waiting).Listen()); // ended before its wait: its name leaves
    EXPECT_EQ("", machine.record);
    TKeepProcess noRandom(machine, false), noRecord(machine);
    EXPECT_FALSE(TKeepSignal(noRandom).Listen());
    machine.recordWritable = false;
    EXPECT_FALSE(TKeepSignal(noRecord).Listen());
}
// An apply of the user's rights waits in the session, named in the user's record; /keep of
// either rights reaches it, and an elevated apply only from an elevated /keep.
TEST(KeepSignal, AnApplyOfTheUsersRightsWaitsInTheSessionAndKeepReadsBothRecords) {
    TKeepMachine machine;
    TKeepProcess user(machine, true, false), admin(machine);
    TKeepSignal userApply(user), adminApply(admin);
    ASSERT_TRUE(userApply.Listen() && adminApply.Listen());
    const std::string userToken = machine.records[TKeepScope::User];
    EXPECT_EQ(1u, machine.events.count(KeepEventName(userToken, TKeepScope::User))) << userToken;

    TKeepProcess userKeeper(machine, true, false);
    EXPECT_TRUE(TKeepSignal(userKeeper).Give());
    EXPECT_TRUE(userApply.Wait(10));
    EXPECT_EQ("", machine.records[TKeepScope::User]) << "its name leaves the user's record";
    EXPECT_FALSE(machine.signalled.count(
        KeepEventName(KeepRecordTokens(machine.record)[0], TKeepScope::Machine)))
        << "an administrators' event opened by the user's rights";

    TKeepProcess adminKeeper(machine);
    EXPECT_TRUE(TKeepSignal(adminKeeper).Give());
    EXPECT_TRUE(adminApply.Wait(10));
    EXPECT_EQ("", machine.record);
}
} // namespace
