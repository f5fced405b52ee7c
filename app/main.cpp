#include <windows.h>

#include <cstdlib>

#include "app/Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return RunLudora(instance, commandLine, __argc);
}
