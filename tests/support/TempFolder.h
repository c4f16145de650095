#pragma once
// A fresh folder for one test, removed with everything in it when the test ends.

#include <string>
#include <vector>

class TTempFolder {
  public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    // The folder with its trailing separator.
    const std::string& Path() const { return path_; }
    // Path() + name.
    std::string operator/(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

// Writes bytes to a file as they stand (no CR LF added), for setting up a test.
void PutFile(const std::string& path, const std::string& bytes);
// Reads a whole file back for an assertion.
std::string GetFile(const std::string& path);
// Makes a file or folder read-only, or writable again.
void SetReadOnly(const std::string& path, bool readOnly);
// Lets every account change a file or folder, as a folder at a drive's root lets every
// signed-in user (under Wine: mode 777); 0, or the system's error.
unsigned long OpenToEveryone(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);
