// A child for the command-line tests: writes its second argument, as the C runtime parsed
// it, into the file its first argument names, and exits with its argument count.

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3)
        return 0;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 0;
    std::fputs(argv[2], out);
    std::fclose(out);
    return argc;
}
