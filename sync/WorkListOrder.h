#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Puts a work list in the byte order of its entries' keys (paths), keeping the list's order among
// equal keys: ascending for the uploads (a folder before what goes into it), descending for the
// removals (a folder's content before the folder).
enum class WorkListOrder { Ascending, Descending };

void SortWorkList(std::vector<int32_t>& list, const std::function<std::string(int32_t)>& keyOf,
                  WorkListOrder order);
