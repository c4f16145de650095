#include "DocumentOpening.h"

void OpenForTheUser(const std::string& target, IDocumentOpeners& openers) {
    if (!openers.IsElevated()) {
        openers.OpenDirectly(target);
        return;
    }
    if (!openers.OpenThroughDesktopShell(target))
        openers.Tell(OpenItYourselfMessage(target));
}

std::string OpenItYourselfMessage(const std::string& target) {
    return "Netvane runs with administrator rights here, and there is no desktop to open this "
           "with your own rights; it is not opened with an administrator's. Open it yourself:\n\n" +
           target;
}
