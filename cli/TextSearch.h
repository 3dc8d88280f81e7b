// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// Whether the UTF-8 text holds what, letters compared without regard to case: "ÄRGER" holds
// "ärger", "Привет" holds "ПРИВ".
bool HoldsIgnoringCase(const std::string& text, const std::string& what);
