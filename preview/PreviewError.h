// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <stdexcept>
#include <string>

// An error of the page preview control that the caller's handler shows to the user: a page
// that cannot be made, pages that cannot be stored, a printer that will not start a job.
class TPreviewError : public std::runtime_error {
public:
    explicit TPreviewError(const std::string& message) : std::runtime_error(message) {}
};
