#pragma once

#include <functional>

// Waits for `condition` with a generous bound (a safety net against hanging, not a timing check).
bool WaitFor(const std::function<bool()>& condition);
