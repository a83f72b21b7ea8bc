// A program for the tests to start: it writes what it was given to
// $OV_PROBE_DIR/<pid>.out (each argument, then the show command hint, each ended by a NUL),
// then ends at once, or waits for a signal when OV_PROBE_STAY is set.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* dir = std::getenv("OV_PROBE_DIR");
    if (dir != nullptr) {
        std::string text;
        for (int i = 0; i < argc; ++i) {
            text += argv[i];
            text.push_back('\0');
        }
        const char* show = std::getenv("ORVANTA_SHOW_COMMAND");
        text += std::string("show=") + (show ? show : "(none)");
        text.push_back('\0');
        const std::string path = std::string(dir) + "/" + std::to_string(getpid()) + ".out";
        // Written aside and renamed, so that a reader never sees half of it.
        const std::string temp = path + ".tmp";
        if (FILE* file = std::fopen(temp.c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), file);
            std::fclose(file);
            std::rename(temp.c_str(), path.c_str());
        }
    }
    if (std::getenv("OV_PROBE_STAY") != nullptr) {
        for (;;) {
            pause();
        }
    }
    return 0;
}
