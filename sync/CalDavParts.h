// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the client's operations and its discovery share; not for other code.

#include "sync/CalDavClient.h"
#include "sync/DavXml.h"

// A PROPFIND at that depth of the properties that describe principals, homes and
// collections.
TDavRequest CollectionPropfind(const QUrl& url, int depth);
bool IsCalendar(const TDavResponse& response);
bool IsCollection(const TDavResponse& response);
// The collection a response of such a PROPFIND describes; its href and address are read
// against the address that answered.
TCollection CollectionOf(const QUrl& answeredUrl, const TDavResponse& response);
// The error an unsuccessful status means.
TDavError StatusError(const TDavAnswer& answer);
// Reads a 207 answer; the error BadResponse when it is none.
std::optional<TMultistatus> ReadAnswer(const TDavAnswer& answer, TDavError* error);
