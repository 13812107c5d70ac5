#include "ftp/DataPortAddress.h"

#include <cctype>
#include <vector>

#include "framework/Strings.h"

namespace {

// Reads up to six comma-separated numbers starting at pos; stops at the first character that
// doesn't continue the sequence.
std::vector<long> ReadNumberSequence(const std::string& s, size_t pos) {
    std::vector<long> numbers;
    while (numbers.size() < 6) {
        size_t start = pos;
        long value = 0;
        while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) {
            value = value * 10 + (s[pos] - '0');
            if (value > 100000) value = 100000;  // far out of range already; stop growing
            ++pos;
        }
        if (pos == start) break;
        numbers.push_back(value);
        if (numbers.size() == 6 || pos >= s.size() || s[pos] != ',') break;
        ++pos;
    }
    return numbers;
}

}  // namespace

std::optional<PassivePort> ParsePasvReply(const std::string& reply) {
    // The numbers follow the code; a sequence that starts inside the code itself is not one.
    for (size_t pos = reply.size() >= 3 ? 3 : 0; pos < reply.size(); ++pos) {
        if (!std::isdigit(static_cast<unsigned char>(reply[pos]))) continue;
        if (pos > 0 && std::isdigit(static_cast<unsigned char>(reply[pos - 1]))) continue;
        std::vector<long> n = ReadNumberSequence(reply, pos);
        if (n.size() < 6) continue;
        bool inRange = true;
        for (long v : n) inRange = inRange && v >= 0 && v <= 255;
        int32_t port = static_cast<int32_t>(n[4] * 256 + n[5]);
        if (!inRange || port < 1) return std::nullopt;
        return PassivePort{std::to_string(n[0]) + "." + std::to_string(n[1]) + "." +
                               std::to_string(n[2]) + "." + std::to_string(n[3]),
                           port};
    }
    return std::nullopt;
}

std::string PortArgument(const std::string& dottedAddress, int32_t port) {
    int32_t high = port / 256;
    int32_t low = port % 256;
    return fw::ReplaceAll(dottedAddress, ".", ",") + "," + std::to_string(high) + "," +
           std::to_string(low);
}
