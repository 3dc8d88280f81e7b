// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "sync/DavError.h"
#include "sync/SyncSetup.h"

#include <QString>

// What the sync window says, in a person's words.

// Why a server did not answer as hoped, beginning with what it means: a wrong password, no
// CalDAV there, a certificate that is not trusted, no network; the server's own details after.
QString ServerErrorSentence(const TDavError& error);

// The category a checked server list maps to: its name, "new category", or that there is no
// room for it.
QString MappingText(const TListMapping& mapping);
