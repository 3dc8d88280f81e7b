// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

// Addresses on a server. A resource can be named in many spellings (percent-encoded or not,
// in upper or lower case hex, relative or absolute, with "." and ".."); its href is one of
// them, the same for all, so that one resource is never taken for two.

// The address a user typed or pasted; without a scheme it is https://.
QUrl UserAddress(const QString& text);

// The href of a resource named in an answer to a request for base: the path, with every
// percent-escape decoded and everything but letters, digits, "-._~" and "!$&'()*+;=:@/"
// encoded again in capital hex ("%2F" in a name stays encoded); the whole address in that form
// when the resource is on another server than base.
QString CanonicalHref(const QUrl& base, const QString& href);
// The address of an href (as CanonicalHref gives it) on base's server.
QUrl HrefUrl(const QUrl& base, const QString& href);

// The same scheme, host and port (the scheme's default port when none is written).
bool SameOrigin(const QUrl& a, const QUrl& b);
// localhost, 127.0.0.0/8, ::1.
bool IsLoopbackHost(const QString& host);
// Plain http to a server other than this machine, without the user's leave.
bool IsInsecure(const QUrl& url, bool allowInsecureHttp);
// A redirect is never followed from https to anything but https.
bool RedirectAllowed(const QUrl& from, const QUrl& to);

// The address with a "/" at the end of its path, as a collection's is.
QUrl AsCollection(QUrl url);
// The address of a new resource in a collection: a name made of the uid where it is safe in
// a path, else of a hash of it, and ".ics".
QUrl NewResourceUrl(const QUrl& collection, const QString& uid);
