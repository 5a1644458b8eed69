// The project file: whatever a damaged or hand-edited file holds, what it
// reads as is written back as a file that reads the same, and its offsets
// stay within what any file holds.
#include "fuzz_support.h"
#include "platform/files.h"
#include "projects/project_store.h"

using namespace ks;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    ProjectSettings s = ParseProjectFile(text);
    const std::int64_t kMax = plat::kMaxPlausibleOffset;
    FUZZ_CHECK(s.totalSize.load() >= -kMax && s.totalSize.load() <= kMax);
    FUZZ_CHECK(s.savedProgress.load() >= -kMax && s.savedProgress.load() <= kMax);

    std::string written = FormatProjectFile(s, s.savedProgress.load());
    std::size_t lines = 0;
    for (char c : written) lines += c == '\n';
    FUZZ_CHECK(lines == 22);
    ProjectSettings again = ParseProjectFile(written);
    FUZZ_CHECK(FormatProjectFile(again, again.savedProgress.load()) == written);
    return 0;
}
