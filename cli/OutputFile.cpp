// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

void WriteWholeFile(const std::string& path, const std::string& text) {
    const fs::path target(path);
    const fs::path partial = target.string() + ".part-" + std::to_string(::getpid());
    std::error_code ec;
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        if (file)
            file.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (file)
            file.close();
        if (!file) {
            const std::string reason = std::strerror(errno);
            fs::remove(partial, ec);
            throw std::runtime_error("Cannot write " + path + ": " + reason + ".");
        }
    }
    fs::rename(partial, target, ec);
    if (ec) {
        fs::remove(partial, ec);
        throw std::runtime_error("Cannot write " + path + ": " + ec.message() + ".");
    }
}
