// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/db/TextCompare.h"

#include <algorithm>
#include <cctype>

bool SameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}
