#include "WithoutWriteRights.h"

#include <cstdio>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

bool CanWriteFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

bool CanCreateFileIn(const std::string& folder) {
    const std::string probe = folder + "write-probe.tmp";
    std::FILE* file = std::fopen(probe.c_str(), "wb");
    if (!file)
        return false;
    std::fclose(file);
    std::remove(probe.c_str());
    return true;
}

#ifdef _WIN32

std::optional<std::string> RunWithoutWriteRights(const std::function<bool()>& writesStopped,
                                                 const std::function<std::string()>& action) {
    if (!writesStopped())
        return std::nullopt;
    return action();
}

#else

namespace {

constexpr uid_t Nobody = 65534;

std::string ReadAll(int fd) {
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

} // namespace

std::optional<std::string> RunWithoutWriteRights(const std::function<bool()>& writesStopped,
                                                 const std::function<std::string()>& action) {
    if (writesStopped())
        return action();
    if (::geteuid() != 0)
        return std::nullopt;
    int pipe[2];
    if (::pipe(pipe) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        ::close(pipe[0]);
        std::string outcome;
        if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            outcome = "cannot become nobody";
        else if (!writesStopped())
            outcome = "writes not stopped even for nobody";
        else
            try {
                outcome = action();
            } catch (const std::exception& e) {
                outcome = std::string("unexpected exception: ") + e.what();
            }
        const ssize_t written = ::write(pipe[1], outcome.data(), outcome.size());
        ::_exit(written == static_cast<ssize_t>(outcome.size()) ? 0 : 1);
    }
    ::close(pipe[1]);
    std::string outcome = ReadAll(pipe[0]);
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        outcome += " (the unprivileged child failed)";
    return outcome;
}

#endif
