#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace testsupport {

// The whole file as bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Writes bytes to path, creating the parent folders; answers whether it worked.
bool WriteFile(const std::string& path, const std::string& bytes);
// n bytes that no line-end conversion or compression would leave alone, the same for one seed.
std::string ScrambledBytes(size_t n, uint32_t seed);
// A moment of local time, to the minute (month 1 to 12), as seconds since the epoch.
time_t LocalTime(int year, int month, int day, int hour, int minute);

// A fresh folder for one fixture. It lives under the test's own $QUILLOMAR_TEST_ROOT (which the
// test main removes after a passing test and keeps after a failing one, for a look); outside a
// test it is made in /tmp and removed with this object.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool removeOnExit_ = false;
};

}  // namespace testsupport
