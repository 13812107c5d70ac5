#pragma once

#include <cstddef>

// The run's long loops (building, sorting and showing a work list) give way once in this many
// passes, so that the window stays alive.
constexpr size_t kPassesPerGiveWay = 256;
