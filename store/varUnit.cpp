// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/varUnit.h"

int32_t DoneBottom = 1;
bool StartWithWindows = true;
int32_t SortOrder = 0;
