#pragma once
// Tests of unreadable and unwritable files run as root in CI, and root passes
// every permission check. For as long as it lives, an OrdinaryFileAccess
// takes from the calling thread the capabilities that override permission
// bits, so the program meets such files as an ordinary user would; it gives
// them back when it goes. Only the calling thread is affected.
class OrdinaryFileAccess {
public:
    OrdinaryFileAccess();
    ~OrdinaryFileAccess();
    OrdinaryFileAccess(const OrdinaryFileAccess&) = delete;
    OrdinaryFileAccess& operator=(const OrdinaryFileAccess&) = delete;

    // Whether permission bits now apply to this thread (else tests skip).
    bool active() const { return active_; }

private:
    bool active_ = false;
    bool restore_ = false;
    unsigned effective_[2] = {0, 0};
};
