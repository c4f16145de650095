// A child for the command-line tests: writes its second argument, as the C runtime parsed
// it, into the file its first argument names, and exits with its argument count; given
// "/handle" and a handle's value, prints a line and exits with 1 when it holds that handle.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    DWORD flags = 0;
    if (argc == 3 && std::strcmp(argv[1], "/handle") == 0)
        return std::puts("looked"),
               ::GetHandleInformation(reinterpret_cast<HANDLE>(std::strtoull(argv[2], nullptr, 10)),
                                      &flags);
    if (argc < 3)
        return 0;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 0;
    std::fputs(argv[2], out);
    std::fclose(out);
    return argc;
}
