#include <windows.h>

#include <cstdlib>

#include "app/Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // Libraries loaded from now on come from the system folder only, never from the program's
    // folder or the working folder, where someone else may have put one of the same name.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
#ifdef LUDORA_TESTS_PLAY_WRITE_MS
    // Only the tests' own build of the program writes a running game's time more often than once
    // a minute; nothing that reaches the program can make it do so.
    return RunLudora(instance, commandLine, __argc, std::chrono::milliseconds(LUDORA_TESTS_PLAY_WRITE_MS));
#else
    return RunLudora(instance, commandLine, __argc);
#endif
}
