// The SDL entry: picks the SDL backend and calls the game's WinMain.
#include <string>

#include "platform/Backend.h"
#include "shell/Main.h"

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    PlatformSetBackend(Backend::Sdl);
    return WinMain(nullptr, nullptr, commandLine.c_str(), 1);
}
