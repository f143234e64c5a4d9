#pragma once

namespace tervalo::bench {

// What the kernel counts for this process, so that a benchmark can print beside a time where it went:
// minor page faults (fresh memory touched) and time spent in the kernel.
struct ProcessUsage {
    long pageFaults = 0;
    double systemSeconds = 0;

    static ProcessUsage now();
    ProcessUsage operator-(const ProcessUsage& earlier) const {
        return {pageFaults - earlier.pageFaults, systemSeconds - earlier.systemSeconds};
    }
};

}  // namespace tervalo::bench
