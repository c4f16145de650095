#pragma once
// Runs a piece of a test where a file's or folder's missing write permission really stops
// writes. Tests often run as root, whom permission bits do not stop: natively the action
// then runs in a child process under the unprivileged "nobody" identity; under Windows
// (Wine) there is no such way, and the caller skips.

#include <functional>
#include <optional>
#include <string>

// writesStopped tells whether, for the identity that asks, the protection holds. The
// action returns its outcome as text (for example the error it caught). Nothing when the
// protection cannot be made to hold here.
std::optional<std::string> RunWithoutWriteRights(const std::function<bool()>& writesStopped,
                                                 const std::function<std::string()>& action);

// Probes for writesStopped: whether a file can be opened for writing, or a new file made
// in a folder (removed again at once).
bool CanWriteFile(const std::string& path);
bool CanCreateFileIn(const std::string& folder);
