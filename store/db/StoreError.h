// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <stdexcept>
#include <string>

// The one error the store raises: a database failure or bad data, with a message a user
// can read in an error box.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const std::string& message, bool damaged = false)
        : std::runtime_error(message), damaged_(damaged) {}

    // The file is not a database, is malformed, or lacks a table or column the program
    // needs: a backup may help where waiting will not.
    bool Damaged() const { return damaged_; }

private:
    bool damaged_;
};

// A change to a task the database no longer holds (deleted by another program, say).
class TaskGoneError : public StoreError {
public:
    TaskGoneError() : StoreError("Error, the task is no longer in the database!") {}
};
