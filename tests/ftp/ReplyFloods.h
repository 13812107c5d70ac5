#pragma once

// Servers that do not end their reply: the greeting, then pieces without end, each case past the
// bound of a reply line or of a whole reply.

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

// A stream of pieces made by piece(), until budget bytes have gone: past any bound, so that a
// client without one is seen holding it all rather than the test streaming for ever.
inline std::function<std::string()> Endless(std::function<std::string()> piece, int64_t budget) {
    auto sent = std::make_shared<int64_t>(0);
    return [piece = std::move(piece), budget, sent] {
        if (*sent >= budget) return std::string();
        std::string next = piece();
        *sent += static_cast<int64_t>(next.size());
        return next;
    };
}

struct FloodCase {
    const char* what;
    std::string start;                  // sent first, as the greeting
    std::function<std::string()> more;  // then this, without end
};

inline void PrintTo(const FloodCase& c, std::ostream* os) {
    *os << c.what;
}

// A line without end, continuation lines without end, and an error's.
inline const FloodCase kReplyFloods[] = {
    FloodCase{"ALineWithoutEnd", "220 Welcome", [] { return std::string(64 * 1024, 'x'); }},
    FloodCase{"ContinuationLinesWithoutEnd", "220-Welcome\r\n",
              [] { return " " + std::string(1000, 'c') + "\r\n"; }},
    // Short lines in large pieces: each pass over what has come holds many.
    FloodCase{"ContinuationLinesOfAnErrorWithoutEnd", "554-Go away\r\n", [] {
                  std::string piece;
                  while (piece.size() < 1024 * 1024) piece += " " + std::string(70, 'e') + "\r\n";
                  return piece;
              }}};
