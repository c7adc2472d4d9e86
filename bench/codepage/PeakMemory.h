#pragma once

#include <cstdint>

namespace quillo::bench {

// Resident memory of this process, from /proc/self/status.
std::int64_t ResidentBytes();
std::int64_t PeakResidentBytes();

// Gives freed heap back to the system and starts the peak anew from the
// present resident size, so that the peak after a step is the step's own.
void ResetPeakResident();

} // namespace quillo::bench
