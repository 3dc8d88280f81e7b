// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/db/PrivateFiles.h"

#include "store/db/StoreError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

void CreatePrivateFolders(const std::string& folder) {
    fs::path built;
    for (const fs::path& part : fs::path(folder).lexically_normal()) {
        built /= part;
        if (part.empty() || part == built.root_path())
            continue;
#ifdef _WIN32
        std::error_code ec;
        fs::create_directory(built, ec);
        if (ec)
            throw StoreError("Cannot make the folder " + built.string() + ": " + ec.message() +
                             ".");
#else
        if (::mkdir(built.c_str(), 0700) != 0 && errno != EEXIST)
            throw StoreError("Cannot make the folder " + built.string() + ": " +
                             std::strerror(errno) + ".");
#endif
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw StoreError("Cannot make the folder " + folder + ": a file of that name is there.");
}

void CreatePrivateFile(const std::string& path) {
#ifdef _WIN32
    std::error_code ec;
    if (fs::exists(path, ec) || !std::ofstream(path))
        throw StoreError("Cannot create " + path + ".");
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw StoreError("Cannot create " + path + ": " + std::strerror(errno) + ".");
    ::close(fd);
#endif
}

std::string WhyNotPrivateFolder(const std::string& folder) {
#ifdef _WIN32
    std::error_code ec;
    return fs::is_directory(folder, ec) ? "" : folder + " is not a folder.";
#else
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return "Cannot use the folder " + folder + ": " + std::strerror(errno) + ".";
    if (S_ISLNK(info.st_mode))
        return "The folder " + folder + " is a symbolic link.";
    if (!S_ISDIR(info.st_mode))
        return folder + " is not a folder.";
    if (info.st_uid != ::geteuid())
        return "The folder " + folder + " belongs to another user.";
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return "The folder " + folder + " can be written by other users.";
    return "";
#endif
}
