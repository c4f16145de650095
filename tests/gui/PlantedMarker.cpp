// Stands for a file planted beside the program or in its current folder: built once as a
// library and once as a program, it leaves "<its own path>.marker" wherever it is run or
// loaded. A library refuses to load once it has written its marker, so whatever loaded it
// goes on as it would without it.

#include <windows.h>

namespace {

void LeaveMarker(HMODULE self) {
    char path[MAX_PATH + 8] = {};
    const DWORD length = ::GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    ::lstrcatA(path, ".marker");
    HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
}

} // namespace

#ifdef NETVANE_MARKER_LIBRARY
extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    LeaveMarker(self);
    return FALSE;
}
#else
int main() {
    LeaveMarker(nullptr);
    return 0;
}
#endif
