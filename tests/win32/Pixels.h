#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A picture as the tests look at it: 0x00RRGGBB per pixel, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;

    std::uint32_t At(int x, int y) const
    {
        return rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    // Pixels in the loads' and diagrams' colour (pure red but for a trace of
    // one other channel).
    int RedPixels() const
    {
        int count = 0;
        for (const std::uint32_t p : rgb)
            count += (p >> 16) == 0xFF && ((p >> 8) & 0xFF) <= 1 && (p & 0xFF) <= 1;
        return count;
    }
};

// Decodes a PNG file through the Windows Imaging Component; an empty
// picture when it cannot.
Pixels DecodePng(const std::string& path);
