#include "IPv4Text.h"

#include <cstdio>

std::string FormatIPv4(const unsigned char bytes[4]) {
    char text[16]; // "255.255.255.255" and its terminating zero
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

bool FormatFirstIPv4(const char* const* addresses, std::string& text) {
    if (addresses == nullptr || addresses[0] == nullptr)
        return false;
    text = FormatIPv4(reinterpret_cast<const unsigned char*>(addresses[0]));
    return true;
}
