#include "store/CsvExchange.h"

#include "support/Error.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>

using testing::HasSubstr;

namespace {

const std::string Header = "Title,Address,Submask,Gateway,DNS1,DNS2,Proxy\r\n";
const std::string WrittenHeader =
    "Title,Address,Submask,Gateway,DNS1,DNS2,Proxy,MoreAddresses,MoreGateways\r\n";

TCsvSetting Office() {
    return {"Office", "10.0.0.5", "255.0.0.0", "10.0.0.1", "10.0.0.2", "", "proxy.lan:8080"};
}

std::string ErrorOf(const std::string& bytes) {
    try {
        ReadSettingsCsv(bytes);
    } catch (const TError& error) {
        return error.what();
    }
    return "(accepted)";
}

} // namespace

TEST(CsvExchange, WritesAHeaderAndQuotesOnlyWhatNeedsIt) {
    TCsvSetting quoted = Office();
    quoted[0] = "2nd \"floor\", east";
    quoted[6] = "";
    EXPECT_EQ(WrittenHeader + "Office,10.0.0.5,255.0.0.0,10.0.0.1,10.0.0.2,,proxy.lan:8080,,\r\n" +
                  "\"2nd \"\"floor\"\", east\",10.0.0.5,255.0.0.0,10.0.0.1,10.0.0.2,,,,\r\n",
              WriteSettingsCsv({Office(), quoted}));
    EXPECT_EQ(WrittenHeader, WriteSettingsCsv({}));
}

TEST(CsvExchange, WhatIsWrittenReadsBackTheSame) {
    TCsvSetting tricky = {"Caf\xC3\xA9, \"Nord\"", " 10.0.0.9 ", "", "", "", "1.1.1.1", ""};
#ifdef _WIN32
    tricky[0] = "Caf\xE9, \"Nord\""; // the same title in the ANSI code page (1252)
#endif
    const std::vector<TCsvSetting> settings = {Office(), tricky, TCsvSetting{}};
    EXPECT_EQ(settings, ReadSettingsCsv(WriteSettingsCsv(settings)));
}

// A spreadsheet computes a cell beginning with =, +, - or @; one apostrophe more keeps it
// text there, and reading takes exactly that one away.
TEST(CsvExchange, ValuesASpreadsheetWouldComputeAreMarkedAndReadBackByteForByte) {
    struct Case {
        std::string title;
        std::string cell; // as the file holds it
    } cases[] = {
        {"=SUM(A1)", "'=SUM(A1)"},
        {"+49 office", "'+49 office"},
        {"-x", "'-x"},
        {"@home", "'@home"},
        {"=", "'="},
        {"'=typed", "''=typed"}, // an apostrophe of its own stays
        {"''-two", "'''-two"},
        {"'quoted", "'quoted"}, // no formula after it: left alone
        {"'", "'"},
        {"a=b", "a=b"},
        {" =spaced", " =spaced"},
        {"=\"a,b\"", "\"'=\"\"a,b\"\"\""},
        {"=" + std::string(19, 'w'), "'=" + std::string(19, 'w')}, // full width, one more
        {"", ""},
    };
    for (const auto& c : cases) {
        TCsvSetting setting{};
        setting[0] = c.title;
        const std::string bytes = WriteSettingsCsv({setting});
        EXPECT_EQ(WrittenHeader + c.cell + ",,,,,,,,\r\n", bytes) << c.title;
        EXPECT_EQ(std::vector<TCsvSetting>{setting}, ReadSettingsCsv(bytes)) << c.title;
    }
}

TEST(CsvExchange, ReadsWithOrWithoutBomAnyLineEndAndAnyColumnOrder) {
    const TCsvSetting lab = {"Lab", "192.168.1.5", "255.255.255.0", "", "", "", ""};
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"as written", Header + "Lab,192.168.1.5,255.255.255.0,,,,\r\n"},
        {"with a BOM", "\xEF\xBB\xBF" + Header + "Lab,192.168.1.5,255.255.255.0,,,,\r\n"},
        {"LF line ends", "Title,Address,Submask,Gateway,DNS1,DNS2,Proxy\nLab,192.168.1.5,"
                         "255.255.255.0,,,,\n"},
        {"no line end at the end", Header + "Lab,192.168.1.5,255.255.255.0,,,,"},
        {"blank lines", Header + "\r\nLab,192.168.1.5,255.255.255.0,,,,\r\n\r\n"},
        {"another order, any case, columns left out",
         "submask, TITLE ,Address\r\n255.255.255.0,Lab,192.168.1.5\r\n"},
        {"every value quoted", "\"Title\",\"Address\",\"Submask\"\r\n\"Lab\",\"192.168.1.5\","
                               "\"255.255.255.0\"\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::vector<TCsvSetting>{lab}, ReadSettingsCsv(c.bytes)) << c.what;
    EXPECT_TRUE(ReadSettingsCsv(Header).empty());
}

TEST(CsvExchange, RefusesABadFileNamingTheLineAndTheReason) {
    const std::string good = "Lab,192.168.1.5,255.255.255.0,,,,\r\n";
    struct Case {
        std::string bytes, message;
    } cases[] = {
        {"", "The file is empty; a settings file begins with the line "
             "Title,Address,Submask,Gateway,DNS1,DNS2,Proxy"},
        {"Title,Address,Port\r\n", "Line 1: unknown column \"Port\"; the columns are Title, "
                                   "Address, Submask, Gateway, DNS1, DNS2, Proxy, MoreAddresses, "
                                   "MoreGateways, GatewayMetric, DnsSuffix, ProxyExceptions, ProxyScript, "
                                   "ProxyAutoDetect, UseWhen"},
        {"Title,DNS1,title\r\n", "Line 1: the column Title appears twice"},
        {Header + good + good + "Lab,1.2.3.4,,,10.0.0.256,,\r\n",
         "Line 4: DNS1 is not a valid address"},
        {Header + "Lab,1.2.3,,,,,\r\n", "Line 2: Address is not a valid address"},
        {Header + "Lab,,,10.1.2.,,,\r\n", "Line 2: Gateway is not a valid address"},
        {Header + "Lab,,,,,,proxy.lan\r\n",
         "Line 2: Proxy needs a port, such as 202.111.123.11:8080"},
        {Header + "Lab,,,,,,:8080\r\n", "Line 2: Proxy needs a host before the colon"},
        {Header + "Lab,,,,,,proxy.lan:0\r\n", "Line 2: Proxy port must be a number above 0"},
        {Header + "Lab,,,,,,p.example:70000\r\n",
         "Line 2: Proxy port must be a number from 1 to 65535"},
        {Header + std::string(21, 'T') + ",,,,,,\r\n",
         "Line 2: Title is longer than 20 characters"},
        {Header + "Lab,010.001.000.0001,,,,,\r\n", "Line 2: Address is longer than 15 characters"},
        {Header + ",,,,,," + std::string(101, 'p') + "\r\n",
         "Line 2: Proxy is longer than 100 characters"},
        {Header + "\"Two\r\nlines\",,,,,,\r\n",
         "Line 2: Title holds a line break or another control character"},
        {Header + "Lab,1.2.3.4\r\n", "Line 2: 2 values where the header names 7 columns"},
        {Header + good + "\"Lab,,,,,,\r\n", "Line 3: a quoted value is not closed"},
        {Header + "La\"b\",,,,,,\r\n", "Line 2: a quote inside a value that does not start with "
                                       "one (quote the whole value and double the quote)"},
        {Header + "\"Lab\"x,,,,,,\r\n", "Line 2: text after the closing quote of a value"},
        {Header + good + "Caf\xE9,,,,,,\r\n",
         "Line 3: the file is not UTF-8 text; save it as UTF-8 and import it again"},
        {Header + "\xC0\xAF,,,,,,\r\n", // an overlong "/"
         "Line 2: the file is not UTF-8 text; save it as UTF-8 and import it again"},
        {Header + good + std::string("Lab\0,,,,,,\r\n", 12),
         "Line 3: the file holds a NUL byte, so it is no settings file (a settings file is "
         "UTF-8 text)"},
        {"\xFF\xFET\0i\0", "The file is UTF-16 text; save it as UTF-8 and import it again"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.message, ErrorOf(c.bytes)) << c.bytes;
}

TEST(CsvExchange, ByteFaultsNameTheLineWhateverTheLineEnds) {
    const std::string header = "Title,Address,Submask,Gateway,DNS1,DNS2,Proxy";
    const std::string good = "Lab,192.168.1.5,255.255.255.0,,,,";
    const std::string notUtf8 = "the file is not UTF-8 text; save it as UTF-8 and import it again";
    const std::string nul =
        "the file holds a NUL byte, so it is no settings file (a settings file is UTF-8 text)";
    struct Case {
        const char* what;
        std::string bytes, message;
    } cases[] = {
        {"CR LF", header + "\r\n" + good + "\r\nCaf\xE9,,,,,,\r\n", "Line 3: " + notUtf8},
        {"lone CR", header + "\r" + good + "\rCaf\xE9,,,,,,\r", "Line 3: " + notUtf8},
        {"lone LF", header + "\n" + good + "\nCaf\xE9,,,,,,\n", "Line 3: " + notUtf8},
        {"LF CR is two line ends", header + "\n\r" + good + "\rCaf\xE9,,,,,,",
         "Line 4: " + notUtf8},
        {"lone CR inside quotes", header + "\r\"a\rb\",,,,,,\rCaf\xE9,,,,,,", "Line 4: " + notUtf8},
        {"NUL after lone CRs", header + "\r" + good + "\r" + good + "\rLab" + std::string(1, '\0'),
         "Line 4: " + nul},
        {"BOM and lone CR", "\xEF\xBB\xBF" + header + "\r\xC0\xAF,,,,,,\r", "Line 2: " + notUtf8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.message, ErrorOf(c.bytes)) << c.what;
}

TEST(CsvExchange, TakesAtMostTenThousandSettings) {
    std::string bytes = Header;
    for (int i = 0; i < 10000; ++i) {
        bytes += 'S';
        bytes += std::to_string(i);
        bytes += ",10.0.0.1,,,,,\r\n";
    }
    EXPECT_EQ(10000u, ReadSettingsCsv(bytes).size());
    EXPECT_EQ("The file brings more than 10,000 settings; import at most that many at a time",
              ErrorOf(bytes + "One too many,,,,,,\r\n"));
    EXPECT_EQ(10000u, ReadSettingsCsv(bytes + "\r\n\r\n").size()); // blank lines do not count
}

TEST(CsvExchange, FilesAreWrittenWholeAndCheckedBeforeReading) {
    TTempFolder dir;
    const std::string path = dir / "settings.csv";
    WriteSettingsFile(path, {Office()});
    EXPECT_EQ(std::vector<TCsvSetting>{Office()}, ReadSettingsFile(path));
    EXPECT_EQ("\xEF\xBB\xBF" + WriteSettingsCsv({Office()}), GetFile(path));

    EXPECT_THAT([&] { ReadSettingsFile(dir / "missing.csv"); },
                testing::ThrowsMessage<TError>(HasSubstr("the file does not exist")));
    const std::string largest = Header + std::string(MaxImportFileBytes - Header.size(), ' ');
    PutFile(path, largest);
    EXPECT_THAT([&] { ReadSettingsFile(path); },
                testing::ThrowsMessage<TError>(HasSubstr("values where the header names")));
    PutFile(path, largest + ' ');
    EXPECT_THAT([&] { ReadSettingsFile(path); },
                testing::ThrowsMessage<TError>(HasSubstr("the file is larger than 16 MB")));
    EXPECT_EQ(largest + ' ', GetFile(path));
}

TEST(CsvExchange, ExtrasColumnsRoundTripAndTheFirstMetricOnlyWhenGiven) {
    TCsvSetting lab = {"Lab", "10.0.0.5", "255.255.255.0", "10.0.0.1", "", "", ""};
    SetCsvExtras(lab, {20,
                       {{"192.168.0.10", "255.255.255.0"}, {"172.16.1.2", "255.255.0.0"}},
                       {{"192.168.0.254", 20}, {"172.16.0.1", 0}}});
    const std::string bytes = WriteSettingsCsv({lab});
    EXPECT_EQ(WrittenHeader.substr(0, WrittenHeader.size() - 2) + ",GatewayMetric\r\n" +
                  "Lab,10.0.0.5,255.255.255.0,10.0.0.1,,,,"
                  "192.168.0.10/255.255.255.0;172.16.1.2/255.255.0.0,"
                  "192.168.0.254/20;172.16.0.1,20\r\n",
              bytes);
    const std::vector<TCsvSetting> read = ReadSettingsCsv(bytes);
    ASSERT_EQ(1u, read.size());
    EXPECT_EQ(CsvExtras(lab), CsvExtras(read[0]));
    // Any column order, any case.
    const auto reordered = ReadSettingsCsv("moregateways,Title,Address,Submask,Gateway\r\n"
                                           "10.0.0.9/5,Lab,10.0.0.5,255.255.255.0,10.0.0.1\r\n");
    EXPECT_EQ((std::vector<TGatewayEntry>{{"10.0.0.9", 5}}), CsvExtras(reordered.at(0)).MoreGateways);
}

TEST(CsvExchange, RefusesABadExtraNamingLineColumnAndEntry) {
    const std::string header = "Title,Address,Submask,Gateway,MoreAddresses,MoreGateways,GatewayMetric\r\n";
    const std::string own = "Lab,10.0.0.5,255.255.255.0,10.0.0.1,";
    std::string sixteen;
    for (int i = 1; i <= 16; ++i)
        sixteen += (i > 1 ? ";10.1.0." : "10.1.0.") + std::to_string(i) + "/255.255.0.0";
    struct Case {
        std::string line, message;
    } cases[] = {
        {own + "10.0.0.x/255.0.0.0,,", "MoreAddresses entry \"10.0.0.x/255.0.0.0\": \"10.0.0.x\" is not a valid IP"},
        {own + "10.1.0.1/255.0.255.0,,", "MoreAddresses entry \"10.1.0.1/255.0.255.0\": \"255.0.255.0\" is not a subnet mask"},
        {own + "10.1.0.1,,", "MoreAddresses entry \"10.1.0.1\": the mask is missing"},
        {own + "10.1.0.1/255.255.0.0;;10.2.0.1/255.255.0.0,,", "MoreAddresses entry \"\": an address is missing"},
        {own + "10.0.0.5/255.0.0.0,,", "MoreAddresses entry \"10.0.0.5/255.0.0.0\": the setting has this address already"},
        {own + sixteen + ",,", "MoreAddresses 16 more addresses where a setting holds at most 15"},
        {own + ",10.0.0.9/0,", "MoreGateways entry \"10.0.0.9/0\": the metric must be 1 to 9999 (none: automatic)"},
        {own + ",10.0.0.9/10000,", "MoreGateways entry \"10.0.0.9/10000\": the metric must be 1 to 9999 (none: automatic)"},
        {own + ",10.9.0.1,", "MoreGateways entry \"10.9.0.1\": it lies outside the subnet of every address of the setting"},
        {own + ",10.0.0.1,", "MoreGateways entry \"10.0.0.1\": the setting has this gateway already"},
        {own + ",10.0.0.2;10.0.0.3;10.0.0.4;10.0.0.6;10.0.0.7,", "MoreGateways 5 more gateways where a setting holds at most 4"},
        {"Lab,10.0.0.5,255.255.255.0,,,10.0.0.9,", "MoreGateways give the first gateway in the Gateway field before further ones"},
        {own + ",,fast", "GatewayMetric must be blank (automatic) or 1 to 9999"},
        {"Lab,10.0.0.5,255.255.255.0,,,,5", "GatewayMetric a metric is given without a gateway"},
    };
    for (const Case& c : cases)
        EXPECT_EQ("Line 2: " + c.message, ErrorOf(header + c.line + "\r\n")) << c.line;
    // A gateway in the subnet of a further address is reachable.
    EXPECT_NO_THROW(ReadSettingsCsv(header + own + "172.16.1.2/255.255.0.0,172.16.0.1/3,7\r\n"));
}

TEST(CsvExchange, ConditionsRoundTripInTheirWrittenFormAndABadOneNamesItsPart) {
    TCsvSetting office = Office();
    TSettingExtras extras;
    extras.UseWhen = "gateway=10.1.0.1;ssid=Corp, 2nd floor";
    SetCsvExtras(office, extras);
    const std::string bytes = WriteSettingsCsv({office, Office()});
    EXPECT_EQ(WrittenHeader.substr(0, WrittenHeader.size() - 2) + ",UseWhen\r\n" +
                  "Office,10.0.0.5,255.0.0.0,10.0.0.1,10.0.0.2,,proxy.lan:8080,,,"
                  "\"gateway=10.1.0.1;ssid=Corp, 2nd floor\"\r\n"
                  "Office,10.0.0.5,255.0.0.0,10.0.0.1,10.0.0.2,,proxy.lan:8080,,,\r\n",
              bytes);
    const std::vector<TCsvSetting> read = ReadSettingsCsv(bytes);
    EXPECT_EQ(extras, CsvExtras(read.at(0)));
    EXPECT_TRUE(CsvExtras(read.at(1)).Empty());
    EXPECT_EQ("gateway=10.1.0.1;adapter=up",
              CsvExtras(ReadSettingsCsv(Header.substr(0, Header.size() - 2) + ",usewhen\r\n" +
                                        "Lab,,,,,,, GATEWAY=010.1.0.1 ;adapter=Up\r\n")
                            .at(0))
                  .UseWhen);
    EXPECT_EQ("Line 2: UseWhen Condition 1 \"gateway=10.1.0\": \"10.1.0\" is not a gateway's IP "
              "address such as 10.1.0.1",
              ErrorOf(Header.substr(0, Header.size() - 2) +
                      ",UseWhen\r\nLab,,,,,,,gateway=10.1.0\r\n"));
}
