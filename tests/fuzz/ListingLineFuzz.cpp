// libFuzzer target: listing text cut into lines and entries, and the entries' dates. Any entry it
// makes must be one the walk may enter or file: a plain name, date columns that read back as a
// date of the comparison's form.
#include <cstddef>
#include <cstdint>
#include <string>

#include "compare/ListingLine.h"
#include "compare/RemoteDate.h"
#include "compare/SizeText.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

// yyyy/MM/dd HH:mm with an hour from 00 to 23 (the year may have any number of digits).
void CheckDateForm(const std::string& date) {
    size_t slash = date.find('/');
    Check(slash != std::string::npos && slash > 0);
    const std::string rest = date.substr(slash);
    Check(rest.size() == 12 && rest[0] == '/' && rest[3] == '/' && rest[6] == ' ' &&
          rest[9] == ':');
    const int hour = (rest[7] - '0') * 10 + (rest[8] - '0');
    Check(hour >= 0 && hour <= 23);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte chooses a time-zone correction and today's month.
    const int64_t zone = static_cast<int8_t>(data[0]);
    const int32_t month = 1 + data[0] % 12;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (const std::string& line : ListingLines(text)) {
        std::optional<ListingLine> entry = ParseListingLine(line);
        if (!entry) continue;
        Check(!entry->name.empty() && entry->name[0] != '.' && entry->name[0] != ' ');
        Check(entry->name.find_first_of(std::string("/\r\n\0", 4)) == std::string::npos);
        Check(entry->kind == "d" || entry->kind == "f");
        Check(entry->size >= 0);
        Check(!SizeText(entry->size).empty());
        CheckDateForm(FormatRemoteDate(entry->dateText, zone, 2020, month));
    }
    return 0;
}
