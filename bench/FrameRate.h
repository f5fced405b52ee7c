#pragma once
#include <windows.h>

// The performance counter in seconds.
inline double Seconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Frames per second of `frame`, run again and again for about a second.
template <typename Frame>
double FramesPerSecond(Frame frame) {
    int frames = 0;
    const double start = Seconds();
    double elapsed = 0;
    while (elapsed < 1.0) {
        frame();
        ++frames;
        elapsed = Seconds() - start;
    }
    return frames / elapsed;
}
