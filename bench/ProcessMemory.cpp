// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/ProcessMemory.h"

#include <fstream>
#include <malloc.h>
#include <string>
#include <sys/resource.h>

namespace {

// A line "Name:   1234 kB" of /proc/self/status, in MiB.
double StatusMiB(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == name + ":") {
            double kib = 0;
            status >> kib;
            return kib / 1024;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

} // namespace

double ResidentMiB() {
    return StatusMiB("VmRSS");
}

double PeakResidentMiB() {
    return StatusMiB("VmHWM");
}

void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void ReturnFreedMemory() {
    malloc_trim(0);
}

double ProcessorMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}
