#pragma once
// The program's one text-to-integer conversion.

#include <string>

// Decimal or hexadecimal ("$", "x", "0x" prefixes) signed 32-bit integer, with leading
// blanks and one sign allowed; anything else, or an overflow, gives def.
int ParseIntDef(const std::string& text, int def);

// The value of one hexadecimal digit (either case); -1 for any other character.
int HexDigitValue(char c);
