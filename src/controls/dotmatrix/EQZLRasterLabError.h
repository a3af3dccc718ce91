#pragma once

#include "controls/EQZLError.h"

// Raised by the dot-matrix display when its scroll timer cannot be started.
class EQZLRasterLabError : public EQZLError
{
public:
    using EQZLError::EQZLError;
};
