#pragma once
// A failure of a list-file operation, carrying the exact text shown to the user.
#include <stdexcept>
#include <string>

class ListFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that is no list this program can edit (text in UTF-16 or UTF-32):
// it is neither loaded nor ever written.
class UneditableListFile : public ListFileError {
public:
    using ListFileError::ListFileError;
};

// A file far bigger than any project list (a disk image, a sparse file): it
// is refused before a byte is read.
class ListFileTooBig : public ListFileError {
public:
    using ListFileError::ListFileError;
};

// The user stopped a load while it ran: nothing was changed.
class ListFileReadCancelled : public ListFileError {
public:
    ListFileReadCancelled() : ListFileError("The list file was not read: cancelled") {}
};
