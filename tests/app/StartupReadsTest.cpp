// The start's reads ahead: the same answers the window would get by asking, each once, and
// none for another question or a failed one, so the window then meets its own error.
#include "app/StartupReads.h"
#include "netcfg/MemoryRegistry.h"
#include "support/Config.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <stdexcept>

namespace {

void AddEthernet(IRegistryBackend& backend, const std::string& key, const std::string& id) {
    TReg reg(backend);
    reg.SetRootKey(TRootKey::LocalMachine);
    ASSERT_TRUE(reg.OpenKey(AdapterClassKey + key, true));
    reg.WriteString("NetCfgInstanceID", id);
    reg.WriteString("DriverDesc", "Adapter " + id);
    ASSERT_TRUE(reg.OpenKey(AdapterClassKey + key + "\\Ndi\\Interfaces", true));
    reg.WriteString("LowerRange", "ethernet");
}

// Answers with the adapter's identifier as its MAC, once the test lets it, or fails.
class TScriptedLiveState : public ILiveStateReader {
  public:
    TLiveState Read(const std::string& adapterId) override {
        ++Reads;
        if (Release) // bounded: reads made on the caller's thread fail the test, not hang it
            Release->wait_for(std::chrono::seconds(2));
        if (Fail)
            throw std::runtime_error("the IP helper failed");
        TLiveState state;
        state.Present = true;
        state.Mac = adapterId;
        return state;
    }
    int Reads = 0;
    bool Fail = false;
    std::shared_future<void>* Release = nullptr;
};

class StartupReadsTest : public testing::Test {
  protected:
    void SetUp() override {
        AddEthernet(registry_, "0000", "{A}");
        AddEthernet(registry_, "0001", "{B}");
    }
    TStartupQuestions Questions(int position) {
        return {registry_,
                live_,
                [this](std::string& text) {
                    if (addressFails_)
                        throw std::runtime_error("no sockets");
                    text = "192.0.2.7";
                    return true;
                },
                TAdapterScope::Ethernet,
                position,
                {}};
    }
    TMemoryRegistry registry_;
    TScriptedLiveState live_;
    bool addressFails_ = false;
};

} // namespace

TEST_F(StartupReadsTest, HandsOverWhatAskingWouldGiveOnceEach) {
    TStartupReads reads(Questions(1));
    const auto adapters = reads.TakeAdapters(TAdapterScope::Ethernet);
    ASSERT_TRUE(adapters);
    const auto asked = DiscoverAdapters(registry_, TAdapterScope::Ethernet);
    ASSERT_EQ(adapters->size(), asked.size());
    for (size_t i = 0; i < asked.size(); ++i)
        EXPECT_EQ((*adapters)[i].Id, asked[i].Id);
    const auto state = reads.TakeLiveState("{B}");
    ASSERT_TRUE(state);
    EXPECT_EQ(state->Mac, "{B}") << "the adapter at the saved position";
    EXPECT_EQ(reads.TakeLocalAddress(), "192.0.2.7");
    EXPECT_FALSE(reads.TakeAdapters(TAdapterScope::Ethernet)) << "taken once";
    EXPECT_FALSE(reads.TakeLiveState("{B}"));
    EXPECT_FALSE(reads.TakeLocalAddress());
}

TEST_F(StartupReadsTest, AnotherQuestionOrAFailedAnswerIsLeftToTheWindow) {
    struct Case {
        const char* Name;
        int Position;
        bool LiveFails;
        TAdapterScope Scope;
        const char* Adapter;
        bool AdaptersKept;
        bool StateKept;
        int Reads;
    };
    const Case cases[] = {
        {"another scope", 0, false, TAdapterScope::AllWithTcpIp, "{A}", false, true, 1},
        {"another adapter", 0, false, TAdapterScope::Ethernet, "{B}", true, false, 1},
        {"position past the list", 2, false, TAdapterScope::Ethernet, "{A}", true, false, 0},
        {"the live state failed", 0, true, TAdapterScope::Ethernet, "{A}", true, false, 1},
    };
    for (const Case& c : cases) {
        live_.Reads = 0;
        live_.Fail = c.LiveFails;
        TStartupReads reads(Questions(c.Position));
        EXPECT_EQ(reads.TakeAdapters(c.Scope).has_value(), c.AdaptersKept) << c.Name;
        EXPECT_EQ(reads.TakeLiveState(c.Adapter).has_value(), c.StateKept) << c.Name;
        EXPECT_EQ(live_.Reads, c.Reads) << c.Name;
    }
}

TEST_F(StartupReadsTest, AFailedAddressLeavesTheRestAnswered) {
    addressFails_ = true;
    TStartupReads reads(Questions(0));
    EXPECT_FALSE(reads.TakeLocalAddress());
    EXPECT_TRUE(reads.TakeAdapters(TAdapterScope::Ethernet));
    EXPECT_TRUE(reads.TakeLiveState("{A}"));
}

// A missing, bad or other file is left to the window, which then meets the error itself.
TEST_F(StartupReadsTest, TheDatabaseIsHandedOverOnlyWhenItIsTheFileAskedForAndGood) {
    const struct {
        const char* Name;
        const char* Contents; // nullptr: no file; "": a database
        bool AskAnother, Kept;
    } cases[] = {{"the file asked for", "", false, true},
                 {"another file", "", true, false},
                 {"no database", "Adapter=Title\r\n", false, false},
                 {"no file", nullptr, false, false}};
    for (const auto& c : cases) {
        TTempFolder dir;
        const std::string path = dir / "db";
        if (c.Contents)
            *c.Contents ? void(std::ofstream(path) << c.Contents) : CreateProfileDatabase(path);
        TStartupQuestions questions = Questions(0);
        questions.DatabasePath = path;
        TStartupReads reads(std::move(questions));
        auto opened = reads.TakeDatabase(c.AskAnother ? dir / "other" : path);
        ASSERT_EQ(opened.has_value(), c.Kept) << c.Name;
        if (!opened)
            continue;
        TProfileTable table;
        table.Show(std::move(*opened));
        EXPECT_EQ(table.DatabasePath(), path);
        EXPECT_FALSE(reads.TakeDatabase(path)) << "taken once";
    }
}

// The reads go on beside the caller, and a take waits for them.
TEST_F(StartupReadsTest, RunsBesideTheCallerAndATakeWaits) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    live_.Release = &released;
    TStartupReads reads(Questions(0)); // returns while the live state is held back
    auto take = std::async(std::launch::async, [&] { return reads.TakeLiveState("{A}"); });
    EXPECT_EQ(take.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    release.set_value();
    const auto state = take.get();
    ASSERT_TRUE(state);
    EXPECT_EQ(state->Mac, "{A}");
}

TEST(StartupGuess, ReadsTheScopeAndPositionTheSettingsFileNames) {
    struct Case {
        const char* Name;
        std::optional<std::string> File;
        TAdapterScope Scope;
        int Position;
        const char* Index; // as the file handed over reads it
    };
    const Case cases[] = {
        {"saved", "ShowAllAdapters=1\r\nIndex=3\r\n", TAdapterScope::AllWithTcpIp, 3, "3"},
        {"nothing selected", "Index=-1\r\n", TAdapterScope::Ethernet, 0, "-1"},
        {"no file", std::nullopt, TAdapterScope::Ethernet, 0, ""},
        {"too large to be ours", std::string(MaxConfigFileBytes + 1, 'x'), TAdapterScope::Ethernet,
         0, ""},
    };
    for (const Case& c : cases) {
        TTempFolder folder;
        if (c.File)
            PutFile(folder / "config.ini", *c.File);
        TMemoryRegistry registry;
        TScriptedLiveState live;
        TStartupQuestions questions{registry, live, nullptr, TAdapterScope::AllWithTcpIp, 9, {}};
        std::optional<TConfig> read = GuessFromSettingsFile(folder / "config.ini", questions);
        EXPECT_EQ(questions.Scope, c.Scope) << c.Name;
        EXPECT_EQ(questions.Position, c.Position) << c.Name;
        // The file read goes to the window once, and only for the path it came from.
        EXPECT_EQ(read.has_value(), !c.File || c.File->size() <= MaxConfigFileBytes) << c.Name;
        if (read) {
            EXPECT_EQ(read->ReadValue("Index"), c.Index) << c.Name;
        }
        TStartupReads reads(std::move(questions), std::move(read));
        EXPECT_FALSE(reads.TakeSettingsFile(folder / "other.ini")) << c.Name;
        EXPECT_FALSE(reads.TakeSettingsFile(folder / "config.ini")) << c.Name;
    }
    TTempFolder folder;
    PutFile(folder / "config.ini", "Index=1\r\n");
    TMemoryRegistry registry;
    TScriptedLiveState live;
    TStartupQuestions questions{registry, live, nullptr, TAdapterScope::Ethernet, 0, {}};
    std::optional<TConfig> read = GuessFromSettingsFile(folder / "config.ini", questions);
    TStartupReads reads(std::move(questions), std::move(read));
    EXPECT_TRUE(reads.TakeSettingsFile(folder / "config.ini"));
    EXPECT_FALSE(reads.TakeSettingsFile(folder / "config.ini"));
}
