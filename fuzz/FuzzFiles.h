#pragma once
// Files for the targets that work on the file system: a folder of their own per input, and
// a file's bytes read and written whole.

#include <filesystem>
#include <optional>
#include <string>

// A fresh, empty folder for one input, gone afterwards.
class TScratchFolder {
  public:
    explicit TScratchFolder(const std::string& purpose);
    ~TScratchFolder();
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// A file's bytes, or nothing when it does not exist.
std::optional<std::string> FileBytes(const std::string& path);
void PutFileBytes(const std::string& path, const std::string& bytes);
