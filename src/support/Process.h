#pragma once
// Starting other programs (Windows only).

#include "CommandLine.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Hands target (a document's full path or an address) to the shell's default action, with
// the user's own rights (OpenForTheUser): this process's shell where it runs as the user;
// elevated, the desktop's shell, or where there is none a message box (owned by owner)
// that names target. A document that does not exist, or a shell that cannot open it,
// raises TError "Cannot open "target": " and the reason.
void OpenDocument(const std::string& target, HWND owner = nullptr);

// Starts the program at applicationPath (a full path: nothing is searched for) with the
// command line as given, in currentFolder (empty: this process's current folder), in a console of
// its own shown as showState, and waits without time limit for it to end, painting the thread's
// windows again while it waits (and handling nothing else of the queue). Returns the child's exit
// code, or -1 when it cannot be started (an over-long command line is refused with -1).
int RunAndWait(const std::string& applicationPath, const std::string& commandLine,
               std::uint16_t showState, const std::string& currentFolder = "");

// Runs a program of the system folder: commandLine begins with its bare file name
// ("ipconfig.exe /release "), which is started from the system folder alone and in it, the
// child's command line beginning with that full path, quoted, and going on exactly as given. A
// first word that is a path, or a line over MaxCommandLineLength characters, is refused with -1.
int RunSystemProgram(const std::string& commandLine, std::uint16_t showState);

// As RunSystemProgram, hidden, with what the child writes to its standard output and error
// kept in output.
int RunSystemProgramCapturing(const std::string& commandLine, std::string& output);

// As RunAndWait, hidden, with the output kept as RunSystemProgramCapturing keeps it. The
// child inherits the pipe's writing end and no other handle; RunAndWait's child none.
int RunCapturing(const std::string& applicationPath, const std::string& commandLine,
                 const std::string& currentFolder, std::string& output);

// Lets milliseconds pass, painting the thread's windows meanwhile as RunAndWait does.
void PauseRepainting(unsigned milliseconds);

// Waits until one of the handles is signalled, painting meanwhile: its index, or nothing when
// the time ran out or the wait failed. INFINITE waits without limit.
std::optional<std::size_t> WaitRepaintingForAny(const std::vector<HANDLE>& handles,
                                                DWORD milliseconds);
