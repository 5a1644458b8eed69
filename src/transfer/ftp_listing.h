// The size of one remote file, read from the text a LIST command returned.
#pragma once

#include <cstdint>
#include <string_view>

namespace ks {

// remotePath is the path as sent with LIST; the sought name is its text after
// the last "/", percent-decoded and compared without regard to case. Returns 0
// when the listing does not name the file or shows no size.
//
// Unix lines ("-rw-r--r-- 1 owner group 123 Jan 01 12:00 name", with or
// without the group) and DOS lines ("01-01-01 12:00PM 123 name") are read by
// their layout, so numeric owner and group ids are never mistaken for the
// size. A line of neither shape falls back to the largest of its third to fifth
// fields.
std::int64_t ListingRemoteSize(std::string_view listing, std::string_view remotePath);

}  // namespace ks
