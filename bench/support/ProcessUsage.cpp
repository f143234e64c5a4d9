#include "ProcessUsage.h"

#include <sys/resource.h>

namespace tervalo::bench {

ProcessUsage ProcessUsage::now() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return {usage.ru_minflt, double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6};
}

}  // namespace tervalo::bench
