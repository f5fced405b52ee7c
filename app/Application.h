#pragma once
#include <windows.h>

// The whole life of the process: apply mode, or the ordinary start up to the end of the
// message loop. Returns the process's exit code.
int RunLudora(HINSTANCE instance, const char* commandLine, int argumentCount);
