#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The host and port a reply to PASV names: six numbers h1,h2,h3,h4,p1,p2, with or without the
// parentheses around them. nullopt unless all six are there and each lies in 0 to 255, with a port
// of 1 or more.
struct PassivePort {
    std::string host;  // dotted, as the server named it
    int32_t port = 0;
};
std::optional<PassivePort> ParsePasvReply(const std::string& reply);

// The argument of PORT: the dotted IPv4 address with its dots made commas, then the port's high
// and low byte ("10.0.1.2" and 1090 give "10,0,1,2,4,66").
std::string PortArgument(const std::string& dottedAddress, int32_t port);
