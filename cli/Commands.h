// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "cli/Arguments.h"
#include "store/DmUnit.h"

#include <ostream>

// The commands on a data module, with arguments that ParseArguments accepted. Each throws
// StoreError (or another std::exception) when it fails; out gets what was asked for. Each one
// that changes the database tells a running organizer to reload.
void ListTasks(TDM& dm, const TArguments& args, std::ostream& out);
void ShowTask(TDM& dm, const TArguments& args, std::ostream& out);
void AddTask(TDM& dm, const TArguments& args, std::ostream& out);
void EditTask(TDM& dm, const TArguments& args, std::ostream& out);
void MarkTasks(TDM& dm, const TArguments& args, std::ostream& out);
void DeleteNamedTasks(TDM& dm, const TArguments& args, std::ostream& out);
void ExportTasks(TDM& dm, const TArguments& args, std::ostream& out);
void ImportFile(TDM& dm, const TArguments& args, std::ostream& out);
void ListCategories(TDM& dm, const TArguments& args, std::ostream& out);
