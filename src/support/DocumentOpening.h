#pragma once
// Opening a document or an address for the user, always with the user's own rights. The
// program runs as the user unless an administrator started it elevated; what it opened
// itself then would run elevated too: the browser, the editor, whatever program the user's
// file associations name.

#include <string>

// The ways the system offers; support/Process gives Windows' own.
class IDocumentOpeners {
  public:
    virtual ~IDocumentOpeners() = default;
    virtual bool IsElevated() = 0;
    // Asks the desktop's shell, which runs with the signed-in user's rights, to open it;
    // false when there is no shell to ask, and nothing was started.
    virtual bool OpenThroughDesktopShell(const std::string& target) = 0;
    // Opens it with this process's own rights; raises TError when that fails.
    virtual void OpenDirectly(const std::string& target) = 0;
    // A message for the user.
    virtual void Tell(const std::string& text) = 0;
};

// Not elevated: directly. Elevated: through the desktop's shell, and where there is none,
// not at all: the user is told where the target is (OpenItYourselfMessage).
void OpenForTheUser(const std::string& target, IDocumentOpeners& openers);

// What an elevated program without a desktop shell tells instead of opening target.
std::string OpenItYourselfMessage(const std::string& target);
