#pragma once

#include "controls/ControlTypes.h"
#include "controls/TColor.h"
#include "controls/dotmatrix/RasterLabTypes.h"

#include <optional>
#include <string>
#include <vector>

// The options of `bytescope-tool render`, apart from the painting, so that they can be checked on
// their own. An option that is not given leaves its property at the display's default.
struct RenderOptions
{
    std::optional<int> Width, Height;
    std::optional<bool> AutoHeight, AutoCenter;
    std::optional<TColor> Background, DotOn, DotOff;
    std::optional<TColorScheme> Scheme;
    std::optional<int> DotSpacing, DotSize;
    std::optional<int> FontHeight;
    std::optional<std::string> FontName;
    bool Bold = false;
    bool Italic = false;
    std::optional<TFrameStyle> Frame;
    std::optional<int> PosX, PosY;
    std::optional<bool> Proportional;
    std::optional<TRDScrollMode> Scroll;
    std::optional<int> ScrollIncrement;
    std::optional<bool> ScrollLoop;
    std::optional<TRDBlockMode> Block;
    std::optional<std::string> Text;
    int Ticks = 0;
    std::string Out;
};

// Reads the options into `options`; on a bad option returns the message that names it.
std::optional<std::string> ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options);
