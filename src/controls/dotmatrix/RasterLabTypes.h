#pragma once

#include <cstdint>

// What the display shows besides the lit dots.
enum TRDBlockMode : std::uint8_t
{
    rdbmOff,    // lit dots on the background colour only
    rdbmOn,     // raster of unlit dots, and a background band between characters
    rdbmRaster, // raster of unlit dots, no bands
};

// The direction in which the text runs.
enum TRDScrollMode : std::uint8_t
{
    rdsmOff,
    rdsmLeft,
    rdsmRight,
    rdsmDown,
    rdsmUp,
};
