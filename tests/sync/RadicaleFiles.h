// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/sync/CalDavTestServer.h"

#include <filesystem>
#include <fstream>
#include <string>

// Fills a list of a Radicale test server with to-dos by writing them into its storage folder,
// as a server that was filled long ago holds them: thousands in a second, where uploading
// them one by one takes minutes. Radicale reads its folder on every request. Returns the
// list's href.
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
    return "/" + server.User() + "/" + id + "/";
}
