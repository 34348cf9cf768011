#pragma once

/// The processors the calling thread may run on (its affinity mask, which a process started
/// under taskset or in a container with a CPU limit inherits), at least 1. Where the system
/// cannot say, every processor the machine has.
int available_processors();
