#pragma once

#include "store/DmUnit.h"

#include <cstdint>
#include <string>

// The tasks of the category (all of them for 0), in id order, as CSV (RFC 4180) in UTF-8
// without a byte-order mark: a header row with the columns of t_task in their order, then
// strCategory (the category's name) and strNote. Dates are YYYY-MM-DD and reminder times
// YYYY-MM-DD HH:MM, left empty while the task has no due date or no reminder. A text cell
// that begins with =, +, -, @, a tab or a carriage return gets a leading ' so that a
// spreadsheet does not take it for a formula.
std::string ExportCsv(TDM& dm, int32_t category);
