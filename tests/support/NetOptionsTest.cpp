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
        {TNetOptionsField::DnsSuffix, "corp.example.com", true},
        {TNetOptionsField::DnsSuffix, longName, true}, // 253 characters
        {TNetOptionsField::DnsSuffix, longName + "b", false},
        {TNetOptionsField::DnsSuffix, label63 + "a.example", false},
        {TNetOptionsField::DnsSuffix, "corp_x", false},
        {TNetOptionsField::ProxyExceptions, "*.corp.example; 10.*;intranet:8080 ;<LOCAL>", true},
        {TNetOptionsField::ProxyExceptions, "a;;b", false},
        {TNetOptionsField::ProxyExceptions, "host name", false},
        {TNetOptionsField::ProxyExceptions, std::string(2049, 'a'), false},
        {TNetOptionsField::ProxyScript, "http://wpad/wpad.dat", true},
        {TNetOptionsField::ProxyScript, "HTTPS://proxy.example:8443/p.pac?x=1", true},
        {TNetOptionsField::ProxyScript, "file:///C:/proxy/p.pac", true},
        {TNetOptionsField::ProxyScript, "http://" + std::string(2041, 'a'), true}, // 2,048
        {TNetOptionsField::ProxyScript, "http://" + std::string(2042, 'a'), false},
        {TNetOptionsField::ProxyScript, "ftp://host/p.pac", false},
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
