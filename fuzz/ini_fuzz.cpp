// Settings files: what is read, written back and read again means the same,
// and a second save changes nothing. A key and value set from outside either
// read back as stored or are refused.
#include "app/ini_store.h"
#include "fuzz_support.h"

using namespace ks;

namespace {

void CheckSameMeaning(const IniDocument& a, const IniDocument& b) {
    FUZZ_CHECK(a.SectionNames() == b.SectionNames());
    for (const std::string& s : a.SectionNames()) {
        FUZZ_CHECK(a.KeyNames(s) == b.KeyNames(s));
        for (const std::string& k : a.KeyNames(s)) FUZZ_CHECK(a.Find(s, k) == b.Find(s, k));
    }
}

// A name as Set stores it: line breaks and NULs removed, blanks trimmed.
std::string Stored(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c != '\r' && c != '\n' && c != '\0') out += c;
    }
    std::size_t a = out.find_first_not_of(" \t"), b = out.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : out.substr(a, b - a + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    std::string section(in.Line()), key(in.Line()), value(in.Line());
    std::string_view file = in.Rest();

    IniDocument first;
    if (!first.Parse(file)) return 0;
    const std::string saved = first.Serialize();
    IniDocument second;
    FUZZ_CHECK(second.Parse(saved));
    CheckSameMeaning(first, second);
    FUZZ_CHECK(second.Serialize() == saved);

    if (second.Set(section, key, value)) {
        section = Stored(section);
        key = Stored(key);
        IniDocument third;
        FUZZ_CHECK(third.Parse(second.Serialize()));
        FUZZ_CHECK(third.Find(section, key) == IniValueAsRead(value));
        CheckSameMeaning(second, third);
        FUZZ_CHECK(third.Delete(section, key));  // the first of duplicates only
    }
    return 0;
}
