// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/sync/CalDavTestServer.h"

#include <filesystem>
#include <fstream>
#include <string>

// Radicale parses new files and dates their changes at the first request that reaches them:
// for 10,000 files that takes longer than a client waits for an answer. This asks for every
// to-do and for every change once, waiting as long as it takes.
inline constexpr const char* RadicaleWarmUp = R"(
import sys, requests
url, user, password = sys.argv[1:4]
for body in ('<D:sync-collection xmlns:D="DAV:"><D:sync-token/><D:sync-level>1</D:sync-level>'
             '<D:prop><D:getetag/></D:prop></D:sync-collection>',
             '<C:calendar-query xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav"><D:prop>'
             '<D:getetag/><C:calendar-data/></D:prop><C:filter><C:comp-filter name="VCALENDAR"/>'
             '</C:filter></C:calendar-query>'):
    requests.request("REPORT", url, data=body, auth=(user, password), timeout=None,
                     headers={"Depth": "1", "Content-Type": "application/xml"}).raise_for_status()
)";

// Fills a list of a Radicale test server with to-dos by writing them into its storage folder,
// as a server that was filled long ago holds them: thousands in a second, where uploading
// them one by one takes minutes. Returns the list's href; empty when the server did not take
// them.
inline std::string WriteRadicaleTodos(const TCalDavTestServer& server, const std::string& id,
                                      const std::string& name, int count) {
    namespace fs = std::filesystem;
    server.Device({"mkcol", name, "--id", id});
    const fs::path list =
        fs::path(server.Folder()) / "collections" / "collection-root" / server.User() / id;
    for (int n = 0; n < count; ++n) {
        const std::string uid = id + "-" + std::to_string(n);
        std::ofstream(list / (uid + ".ics"))
            << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test device//EN\r\nBEGIN:VTODO\r\n"
               "UID:"
            << uid << "\r\nDTSTAMP:20240301T080000Z\r\nSUMMARY:To-do " << n
            << "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    }
    const std::string href = "/" + server.User() + "/" + id + "/";
    const TProgramOutput warm =
        RunProgram({"/usr/bin/python3", "-c", RadicaleWarmUp, server.Url() + href.substr(1),
                    server.User(), server.Password()},
                   "", {}, 3600);
    return warm.status == 0 ? href : std::string();
}
