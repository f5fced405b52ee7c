#pragma once
#include <windows.h>

#include <chrono>

// The whole life of the process: apply mode, or the ordinary start up to the end of the
// message loop. A running game's time is written every `playWriteInterval`. Returns the
// process's exit code.
int RunLudora(HINSTANCE instance, const char* commandLine, int argumentCount,
              std::chrono::milliseconds playWriteInterval = std::chrono::minutes(1));
