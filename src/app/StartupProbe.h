#pragma once

class QWidget;

// For the start-up benchmark: when the environment variable BYTESCOPE_STARTUP_PROBE is set (not
// empty), the first time `window` has been painted the program prints one line
// "startup-probe shown rss_kb=N" (N: resident memory in KiB then) on stdout and ends its event
// loops with exit code 0. Without the variable it does nothing.
void WatchFirstShow(QWidget* window);
