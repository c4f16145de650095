#include "StringsPlatform.h"

#include <windows.h>

bool IsLeadByte(char c) {
    return IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(c)) != 0;
}

char LowerAnsi(char c) {
    // The system locale decides what the lower case of an ANSI letter is.
    return static_cast<char>(reinterpret_cast<UINT_PTR>(
        CharLowerA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned char>(c))))));
}
