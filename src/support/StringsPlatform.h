#pragma once
// What the text helpers ask of the platform's ANSI code page: StringsWin.cpp asks Windows,
// StringsPosix.cpp answers for plain single-byte ASCII.

// True when c starts a two-byte character of the ANSI code page.
bool IsLeadByte(char c);
// The lower case of an ANSI character.
char LowerAnsi(char c);
