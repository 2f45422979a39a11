#pragma once
// A failure of a list-file operation, carrying the exact text shown to the user.
#include <stdexcept>
#include <string>

class ListFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
