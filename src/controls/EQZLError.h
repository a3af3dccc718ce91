#pragma once

#include <stdexcept>
#include <string>

// Base of the errors the component library's controls raise. The message is the whole report;
// controls start it with "Component " and their name in double quotes.
class EQZLError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Builds the usual control message: Component "<name>": <what>
inline std::string ComponentMessage(const std::string& name, const std::string& what)
{
    return "Component \"" + name + "\": " + what;
}
