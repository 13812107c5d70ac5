#include "tests/support/TestFiles.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

std::string ScrambledBytes(size_t n, uint32_t seed) {
    std::string b(n, '\0');
    for (char& c : b) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    return b;
}

time_t LocalTime(int year, int month, int day, int hour, int minute) {
    struct tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_isdst = -1;
    return mktime(&t);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::error_code ec;
    auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

TempFolder::TempFolder(const std::string& prefix) {
    const char* testRoot = getenv("QUILLOMAR_TEST_ROOT");
    std::error_code ec;
    bool inTestRoot = testRoot && *testRoot && std::filesystem::is_directory(testRoot, ec);
    std::string pattern =
        (inTestRoot ? std::string(testRoot) : std::string("/tmp")) + "/" + prefix + "-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary folder like " + pattern);
    }
    path_ = pattern;
    removeOnExit_ = !inTestRoot;
}

TempFolder::~TempFolder() {
    if (!removeOnExit_) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace testsupport
