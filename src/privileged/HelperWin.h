#pragma once
// The helper on Windows: the client's system part (the consent prompt through the shell's
// "runas", the pipe), and the helper's own loop, which serves the one process that started
// it and ends with it.

#include "privileged/HelperClient.h"

#include "support/WinHandles.h"

#include <string>

class TSystemHelper : public IHelperSystem {
  public:
    TLaunch Launch(const std::string& pipeName, std::string& error) override;
    bool Connect(const std::string& pipeName) override;
    TTransact Transact(const std::string& message, std::string& answer) override;
    void Disconnect() override;
    bool Random(unsigned char (&bytes)[16]) override;
    std::string FolderRefusal() override;

  private:
    UniqueHandle helper_; // the helper's process
    UniqueHandle pipe_;
    UniqueHandle event_; // the pipe's overlapped operations
};

// The program started as the helper, and whose place is checked first: this process's own
// unless set. The window tests run in a program of their own, which cannot serve, and name
// the shipped Netvane.exe here.
void SetHelperProgram(std::string exePath);

// Netvane.exe /elevated-helper <pipe> <process id>: serves that process's requests until it
// ends or ten minutes pass without one. 0 when it ended so, 1 when it could not serve (the
// name is not ours, the process is gone, the pipe's name was taken).
int RunHelper(const std::string& pipeName, const std::string& clientProcessId);
