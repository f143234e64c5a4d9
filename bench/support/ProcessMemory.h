#pragma once

namespace tervalo::bench {

// A memory figure of this process from /proc/self/status in MiB: "VmRSS" (resident now) or "VmHWM"
// (the peak of the resident size); -1 when it cannot be read.
double processMemoryMb(const char* key);

}  // namespace tervalo::bench
