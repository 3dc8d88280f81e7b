// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

// Whether two names are the same letters, ignoring ASCII case ("intDone" and "INTDONE").
bool SameName(const std::string& a, const std::string& b);
