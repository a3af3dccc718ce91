#pragma once

#include <stdexcept>

// Errors of the server link.
class EMentix : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A received message block too short to hold its stamp: "Arithmetic overflow".
class EIntOverflow : public std::runtime_error
{
public:
    EIntOverflow() : std::runtime_error("Arithmetic overflow") {}
};
