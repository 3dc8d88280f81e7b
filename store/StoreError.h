#pragma once

#include <stdexcept>
#include <string>

// The one error the store raises: a database failure or bad data, with a message a user
// can read in an error box.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const std::string& message) : std::runtime_error(message) {}
};
