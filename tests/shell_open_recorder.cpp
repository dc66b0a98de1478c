// Stands in for the program the shell starts for .swf files in the movie action tests:
//   shell_open_recorder LOG FILE
// appends one line "FILE<tab>first bytes of FILE" (control bytes as ".") to LOG, so a test learns
// both which path the shell handed over and what that file held at that moment (the external-view
// copy is overwritten by the next view).
//
// Copied under another name it stands in for a program started without arguments (Moravel,
// started by Tessaly): it then appends its own command line to the file of its own name
// with ".log" added.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc == 1) {
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        FILE* log = std::fopen((std::string(self) + ".log").c_str(), "ab");
        if (log == nullptr) return 1;
        std::fprintf(log, "%s\n", GetCommandLineA());
        std::fclose(log);
        return 0;
    }
    if (argc < 3) return 2;
    std::string line = argv[2];
    line += '\t';
    if (FILE* file = std::fopen(argv[2], "rb")) {
        char bytes[64];
        const std::size_t n = std::fread(bytes, 1, sizeof bytes, file);
        std::fclose(file);
        // A movie's header holds control bytes; one of them could end the line early.
        for (std::size_t i = 0; i < n; ++i)
            line += static_cast<unsigned char>(bytes[i]) < 0x20 ? '.' : bytes[i];
    }
    line += '\n';
    // One write per line, so a reader never sees half a line for long.
    FILE* log = std::fopen(argv[1], "ab");
    if (log == nullptr) return 1;
    std::fwrite(line.data(), 1, line.size(), log);
    std::fclose(log);
    return 0;
}
