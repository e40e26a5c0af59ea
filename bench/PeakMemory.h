// The peak resident memory of this process so far, in MiB.
#pragma once

#include <sys/resource.h>

inline double PeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}
