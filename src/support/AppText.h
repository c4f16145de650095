#pragma once
// Texts of the application shell that do not need Windows to be worked out.

#include <string>

// The application's title from the executable's file name: the name up to its first ".",
// every letter after the first in lower case ("NETVANE.EXE" gives "Netvane").
std::string TitleFromFileName(const std::string& path);

// The text the general error box shows: "." appended when the text is not empty and its
// last character's code is above that of ".".
std::string ErrorBoxText(const std::string& message);
