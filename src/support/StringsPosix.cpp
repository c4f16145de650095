#include "StringsPlatform.h"

bool IsLeadByte(char) {
    return false;
}

char LowerAnsi(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
