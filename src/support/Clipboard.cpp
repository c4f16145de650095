#include "Clipboard.h"

#include "Error.h"
#include "FileSystem.h"
#include "WinHandles.h"

#include <cstring>

namespace {

// Open while it lives: another program waits for the clipboard meanwhile.
class TOpenClipboard {
  public:
    explicit TOpenClipboard(HWND owner) {
        if (!::OpenClipboard(owner))
            throw TError("Cannot open the clipboard: " + LastSystemErrorText());
    }
    ~TOpenClipboard() { ::CloseClipboard(); }
    TOpenClipboard(const TOpenClipboard&) = delete;
    TOpenClipboard& operator=(const TOpenClipboard&) = delete;
};

} // namespace

void PutClipboardText(HWND owner, const std::string& text) {
    UniqueGlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (!memory)
        throw TError("Cannot copy: " + LastSystemErrorText());
    if (void* bytes = ::GlobalLock(memory.get())) {
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        ::GlobalUnlock(memory.get());
    }
    const TOpenClipboard clipboard(owner);
    ::EmptyClipboard();
    if (!::SetClipboardData(CF_TEXT, memory.get()))
        throw TError("Cannot copy: " + LastSystemErrorText());
    memory.release(); // the clipboard's now
}
