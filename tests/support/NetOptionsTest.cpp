#include "support/NetOptions.h"

#include <gtest/gtest.h>

TEST(NetOptions, EachValueIsJudgedByItsRule) {
    const std::string label63(63, 'a');
    const std::string longName = label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b');
    struct Case {
        TNetOptionsField field;
        std::string text;
        bool accepted;
    } cases[] = {
        {TNetOptionsField::DnsSuffix, "", true},
        {TNetOptionsField::DnsSuffix, "corp.example.com", true},
        {TNetOptionsField::DnsSuffix, "x-1.Example", true},
        {TNetOptionsField::DnsSuffix, longName, true}, // 253 characters
        {TNetOptionsField::DnsSuffix, longName + "b", false},
        {TNetOptionsField::DnsSuffix, label63 + "a.example", false},
        {TNetOptionsField::DnsSuffix, "-corp.example", false},
        {TNetOptionsField::DnsSuffix, "corp-.example", false},
        {TNetOptionsField::DnsSuffix, "corp..example", false},
        {TNetOptionsField::DnsSuffix, ".corp", false},
        {TNetOptionsField::DnsSuffix, "corp.", false},
        {TNetOptionsField::DnsSuffix, "co rp", false},
        {TNetOptionsField::DnsSuffix, "corp_x", false},
        {TNetOptionsField::DnsSuffix, "b\xE4r.example", false},
        {TNetOptionsField::ProxyExceptions, "", true},
        {TNetOptionsField::ProxyExceptions, "<local>", true},
        {TNetOptionsField::ProxyExceptions, "*.corp.example; 10.*;intranet:8080 ;<LOCAL>", true},
        {TNetOptionsField::ProxyExceptions, "a;;b", false},
        {TNetOptionsField::ProxyExceptions, "a;", false},
        {TNetOptionsField::ProxyExceptions, "host name", false},
        {TNetOptionsField::ProxyExceptions, "<remote>", false},
        {TNetOptionsField::ProxyExceptions, "...", false},
        {TNetOptionsField::ProxyExceptions, "a," + std::string(10, 'b'), false},
        {TNetOptionsField::ProxyExceptions, std::string(2049, 'a'), false},
        {TNetOptionsField::ProxyScript, "", true},
        {TNetOptionsField::ProxyScript, "http://wpad/wpad.dat", true},
        {TNetOptionsField::ProxyScript, "HTTPS://proxy.example:8443/p.pac?x=1", true},
        {TNetOptionsField::ProxyScript, "file:///C:/proxy/p.pac", true},
        {TNetOptionsField::ProxyScript, "file://server/share/p.pac", true},
        {TNetOptionsField::ProxyScript, "http://" + std::string(2041, 'a'), true}, // 2,048
        {TNetOptionsField::ProxyScript, "http://" + std::string(2042, 'a'), false},
        {TNetOptionsField::ProxyScript, "ftp://host/p.pac", false},
        {TNetOptionsField::ProxyScript, "wpad/wpad.dat", false},
        {TNetOptionsField::ProxyScript, "http://", false},
        {TNetOptionsField::ProxyScript, "http:///p.pac", false},
        {TNetOptionsField::ProxyScript, "http://host/a b.pac", false},
        {TNetOptionsField::ProxyScript, "http://host/\"p\".pac", false},
    };
    for (const Case& c : cases) {
        TNetOptions options;
        std::string& slot = c.field == TNetOptionsField::DnsSuffix         ? options.DnsSuffix
                            : c.field == TNetOptionsField::ProxyExceptions ? options.ProxyExceptions
                                                                           : options.ProxyScript;
        slot = c.text;
        const TNetOptionsFault fault = CheckNetOptions(options);
        EXPECT_EQ(c.accepted ? TNetOptionsField::None : c.field, fault.Field) << c.text;
        EXPECT_EQ(c.accepted, fault.Text.empty()) << c.text;
    }
}

TEST(NetOptions, AComplaintNamesTheFieldAndTheFault) {
    EXPECT_EQ("[DNS suffix] \"corp..example\" has an empty part between dots",
              CheckNetOptions({"corp..example", "", "", false}).Text);
    EXPECT_EQ("[Proxy exceptions] entry 2 is empty: separate entries with one \";\"",
              CheckNetOptions({"", "a;;b", "", false}).Text);
    EXPECT_EQ("[Configuration script] \"ftp://x\" must begin with http://, https:// or file://",
              CheckNetOptions({"", "", "ftp://x", false}).Text);
    EXPECT_TRUE(TNetOptions{}.Empty());
    EXPECT_FALSE((TNetOptions{"", "", "", true}.Empty()));
    EXPECT_EQ((TNetOptions{"a", "b", "c", true}), TrimmedNetOptions({" a ", "\tb", "c ", true}));
}
