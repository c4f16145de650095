#pragma once
// Character and substring helpers. Texts are ANSI byte strings; positions count from 1.

#include <cstddef>
#include <string>
#include <vector>

// Position of the first c in s at or after start; 0 when there is none or start is past the end.
int CharPosFrom(char c, const std::string& s, int start);

// The text from position p to the end; empty when p is past the end.
std::string CopyFrom(const std::string& s, int p);

struct TSplit {
    std::string Left;
    std::string Right;
};

// Splits s at the first occurrence of separator (never inside a multi-byte character).
// Without a separator the left part is s and the right part is empty.
TSplit SplitAt(const std::string& s, const std::string& separator);

// SplitAt with "=": "name=value" gives name and value.
TSplit SplitNameValue(const std::string& s);

// Removes every leading and trailing character whose code is 32 or less.
std::string Trim(const std::string& s);

// Case-insensitive equality of two ANSI texts.
bool SameText(const std::string& a, const std::string& b);

// The UTF-8 byte-order mark: spreadsheets read a file as UTF-8 only when it begins so.
inline constexpr char Utf8ByteOrderMark[] = "\xEF\xBB\xBF";

// The text without the UTF-8 byte-order mark a text editor may have put before it.
std::string WithoutUtf8ByteOrderMark(const std::string& text);

// text when it has at most limit characters; otherwise its beginning and "...", limit
// characters in all, never ending inside a two-byte character of the ANSI code page.
std::string CutText(const std::string& text, std::size_t limit);

// The texts in order with separator between each two: {"a", "b"} and ", " give "a, b".
std::string JoinTexts(const std::vector<std::string>& texts, const std::string& separator);

// ASCII letters in lower case, every other byte as it is: the folding that compares
// identifiers and DNS names without regard to letter case, whatever the code page.
char FoldAscii(char c);
std::string FoldedAscii(std::string text);
