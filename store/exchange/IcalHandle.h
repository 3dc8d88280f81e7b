// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <libical/ical.h>
#include <memory>

// A component that libical made and that is ours to free.
struct TIcalFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using TIcalComponent = std::unique_ptr<icalcomponent, TIcalFree>;
