#pragma once

// How many memory mappings a process has (this one by default); a count that keeps growing over a
// long run shows a leak of mapped memory.
int MappingCount(int pid = 0);
