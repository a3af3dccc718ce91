#pragma once

// How many memory mappings a process has (this one by default); a count that keeps growing over a
// long run shows a leak of mapped memory. Read from Linux's /proc: -1 where there is none.
int MappingCount(int pid = 0);
