#pragma once

#include <cstdint>

// Frame styles and colour schemes shared by the controls of the component library.

enum TFrameStyle : std::uint8_t
{
    fsNone,
    fsSimple,
    fsLowered,
    fsRaised,
    fsEmbossed,
    fsEngraved,
};

enum TColorScheme : std::uint8_t
{
    csBWG,
    csSystem,
};
