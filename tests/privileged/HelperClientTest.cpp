#include "privileged/HelperClient.h"

#include "privileged/RequestFormat.h"
#include "support/Error.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

using TLaunch = IHelperSystem::TLaunch;
using TTransact = IHelperSystem::TTransact;

std::string GoodAnswer() {
    TAdapterReply reply;
    reply.Stage = TAdapterStage::Done;
    reply.Said = {"done"};
    return EncodeReply(reply);
}

// The system as a script has it answer; every call leaves a letter in Events: F folder,
// R random, L launch, C connect, T transact, D disconnect.
class TScriptedHelperSystem : public IHelperSystem {
  public:
    TLaunch Launch(const std::string& pipeName, std::string& error) override {
        Events += 'L';
        Pipes.push_back(pipeName);
        error = "no such file";
        return Pop(Launches, TLaunch::Started);
    }
    bool Connect(const std::string& pipeName) override {
        Events += 'C';
        EXPECT_EQ(Pipes.back(), pipeName);
        return true;
    }
    TTransact Transact(const std::string& message, std::string& answer) override {
        Events += 'T';
        Sent.push_back(message);
        const auto [result, reply] = Pop(Answers, {TTransact::Answered, GoodAnswer()});
        answer = reply;
        return result;
    }
    void Disconnect() override { Events += 'D'; }
    bool Random(unsigned char (&bytes)[16]) override {
        Events += 'R';
        for (unsigned char& byte : bytes)
            byte = static_cast<unsigned char>(Pipes.size() * 16 + 1);
        return true;
    }
    std::string FolderRefusal() override {
        Events += 'F';
        return Refusal;
    }

    std::string Refusal;
    std::deque<TLaunch> Launches;
    std::deque<std::pair<TTransact, std::string>> Answers;
    std::string Events;
    std::vector<std::string> Pipes;
    std::vector<std::string> Sent;

  private:
    template <class T> static T Pop(std::deque<T>& script, T otherwise) {
        if (script.empty())
            return otherwise;
        T next = script.front();
        script.pop_front();
        return next;
    }
};

TAdapterRequest Request() {
    TAdapterRequest request;
    request.Request.Adapter = "{A}";
    request.Request.DHCP = true;
    return request;
}

} // namespace

TEST(HelperSwitch, StartsTheHelperOnDemandAndTellsWhyWhenItCannot) {
    const std::string unreadable = "the helper's answer cannot be read";
    struct Case {
        const char* what;
        std::string refusal;
        std::deque<TLaunch> launches;
        std::deque<std::pair<TTransact, std::string>> answers;
        // What each apply in turn raises: "" when it gives the helper's reply.
        std::vector<std::string> errors;
        std::string events;
    };
    const Case cases[] = {
        {"a second apply reuses the helper", "", {}, {}, {"", ""}, "DFRLCTT"},
        {"consent refused", "", {TLaunch::Refused}, {}, {ConsentRefusedMessage}, "DFRL"},
        {"the folder refused",
         "Not from a shared folder.",
         {},
         {},
         {"Not from a shared folder."},
         "DF"},
        {"a failed start",
         "",
         {TLaunch::Failed},
         {},
         {"to change the adapter's settings (no such file)"},
         "DFRL"},
        {"a helper that has ended is started again, once",
         "",
         {},
         {{TTransact::Answered, GoodAnswer()}, {TTransact::NotSent, ""}},
         {"", ""},
         "DFRLCTTDFRLCT"},
        {"a new helper that takes nothing",
         "",
         {},
         {{TTransact::NotSent, ""}},
         {"did not take the request"},
         "DFRLCTD"},
        {"no answer, then a new helper",
         "",
         {},
         {{TTransact::NoAnswer, ""}},
         {"ended before it answered", ""},
         "DFRLCTDDFRLCT"},
        {"an answer that cannot be read, then a new helper",
         "",
         {},
         {{TTransact::Answered, GoodAnswer() + "x"}},
         {"cannot be read", ""},
         "DFRLCTDDFRLCT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TScriptedHelperSystem system;
        system.Refusal = c.refusal;
        system.Launches = c.launches;
        system.Answers = c.answers;
        THelperSwitch helper(system);
        for (const std::string& error : c.errors) {
            try {
                const TAdapterReply reply = helper.Apply(Request());
                EXPECT_EQ("", error);
                EXPECT_EQ(TAdapterStage::Done, reply.Stage);
                EXPECT_EQ(std::vector<std::string>{"done"}, reply.Said);
            } catch (const TError& raised) {
                ASSERT_NE("", error) << raised.what();
                if (error == ConsentRefusedMessage || error == c.refusal)
                    EXPECT_EQ(error, raised.what());
                else
                    EXPECT_NE(std::string::npos, std::string(raised.what()).find(error))
                        << raised.what();
            }
        }
        EXPECT_EQ(c.events, system.Events);
        for (const std::string& message : system.Sent)
            EXPECT_EQ(EncodeRequest(Request()), message);
        for (const std::string& pipe : system.Pipes)
            EXPECT_TRUE(IsHelperPipeName(pipe)) << pipe;
        // Each start gets a name of its own.
        if (system.Pipes.size() == 2) {
            EXPECT_NE(system.Pipes[0], system.Pipes[1]);
        }
    }
}
