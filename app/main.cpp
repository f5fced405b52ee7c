#include <windows.h>

#include <cstdlib>

#include "app/Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // Libraries loaded from now on come from the system folder only, never from the program's
    // folder or the working folder, where someone else may have put one of the same name.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return RunLudora(instance, commandLine, __argc);
}
