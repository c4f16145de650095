#include "ProgramRun.h"

#include "support/WinHandles.h"

#include <gtest/gtest.h>

namespace {

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

} // namespace

TRun RunProgram(const std::string& exe, const std::string& arguments, const std::string& folder) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    EXPECT_TRUE(::CreatePipe(&outRead, &outWrite, &inherit, 1 << 16));
    EXPECT_TRUE(::CreatePipe(&errRead, &errWrite, &inherit, 1 << 16));
    UniqueHandle out(outRead), outEnd(outWrite), err(errRead), errEnd(errWrite);
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + exe + "\" " + arguments;
    TRun run;
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                          nullptr, folder.c_str(),
                          &startup, &process)) {
        ADD_FAILURE() << "cannot start " << commandLine;
        return run;
    }
    UniqueHandle processHandle(process.hProcess), thread(process.hThread);
    outEnd.reset();
    errEnd.reset();
    run.Out = ReadAll(outRead);
    run.Err = ReadAll(errRead);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 60000)) << commandLine;
    ::GetExitCodeProcess(process.hProcess, &run.ExitCode);
    return run;
}
