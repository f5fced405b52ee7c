#include "tests/UiLib/support/TestCanvas.h"

#include <cstdlib>

TestCanvas::TestCanvas(int width, int height, uint32_t rgb)
    : dib_(width, height), dc_(nullptr), select_(dc_.Get(), dib_.Get()) {
    Fill(rgb);
}

void TestCanvas::Fill(uint32_t rgb) {
    ::GdiFlush();
    for (int i = 0; i < dib_.Width() * dib_.Height(); ++i) dib_.Pixels()[i] = 0xFF000000 | rgb;
}

bool NearRgb(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(difference) > tolerance) return false;
    }
    return true;
}
