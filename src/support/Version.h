#pragma once
// Reading a file's version resource (Windows only).

#include <cstdint>
#include <string>

struct TFileVersion {
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Release = 0;
    std::uint16_t Build = 0;
};

// The file version of the file's VERSIONINFO; false when it has none.
bool ReadFileVersion(const std::string& path, TFileVersion& version);

// "major.minor.release.build" in decimal; "0.0.0.0" for a file without version information.
std::string FileVersionText(const std::string& path);
