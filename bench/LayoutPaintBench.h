#pragma once
#include <string>

// Lays out and paints a 970 by 660 window tree of about 200 controls, again and again, and prints
// the frames per second. `picture` is a PNG used by the controls' background images.
void BenchLayoutAndPaint(const std::string& picture);
