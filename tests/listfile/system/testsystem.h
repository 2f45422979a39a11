#pragma once
// What the list-file tests ask of the system beyond the list core's own
// seam: one implementation per system, chosen when building. Where a system
// has no such thing (named pipes, sockets, Unix permission bits, a second
// user, mounts, file-size limits) the helper says so and the test that needs
// it is skipped there.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

enum ChildResult {
    childThrewExpected = 0,
    childDidNotThrow = 1,
    childWrongMessage = 2,
    childCannotStart = 96,
    childCannotDropRoot = 99,
};

// Runs body in a child process, so that limits, mounts and identity changes
// end with it; the child's exit code is body's result (childCannotStart
// where the system cannot fork). Root ignores permission bits, so the tests
// that need a folder or file we may not write ask to run as "nobody"
// (childCannotDropRoot when that is impossible).
int inChild(const std::function<int()>& body, bool asOrdinaryUser);
int inUnprivilegedChild(const std::function<int()>& body);

// Runs body in a child with its own mount table, where a small tmpfs of the
// given size ("256k") is mounted on folder: the mount goes with the child,
// whatever happens. cannotMount where that is not allowed.
constexpr int cannotMount = 97;
int onSmallFileSystem(const std::filesystem::path& folder, const char* size, const std::function<int()>& body);

// In a child: writes past bytes fail from now on. False where there is no
// such limit.
bool limitFileSize(std::uint64_t bytes);

// Whether files carry Unix permission bits that the system enforces.
bool hasUnixPermissions();
// The bits a new file's mode loses.
unsigned currentUmask();

bool makeNamedPipe(const std::string& path);

// A socket bound to a name in the file system, for as long as it lives;
// made() is false where the system has none.
class SocketFile {
public:
    explicit SocketFile(const std::string& path);
    ~SocketFile();
    SocketFile(const SocketFile&) = delete;
    SocketFile& operator=(const SocketFile&) = delete;
    bool made() const { return handle_ >= 0; }

private:
    long long handle_ = -1;
};

// Devices that are no plain file: one that reads nothing, and on systems
// that have one, one that reads zeros for ever.
std::vector<std::string> deviceFiles();
// A text file whose size reads as 0 though it holds text; empty where the
// system has none.
std::string textFileSizedZero();

// This process's id, as the system tells it.
std::int64_t thisProcessId();
