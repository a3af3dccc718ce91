#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// posix_spawnp of an argv with default signal dispositions and an empty signal mask (our programs
// may block signals for their own loops; what we start must not inherit that). Returns the process
// id, or 0 with `errorNumber` set.
pid_t SpawnArgv(const std::vector<std::string>& argv, int& errorNumber);

// Reaps a child in a detached thread, for programs whose end nobody waits for.
void ReapInBackground(pid_t pid);

// pidfd_open without relying on the C library's wrapper; -1 and errno on failure.
int OpenPidFd(pid_t pid);
