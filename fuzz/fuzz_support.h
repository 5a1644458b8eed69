// Small helpers shared by the fuzz targets: a check that stops the run with a
// message (libFuzzer then saves the input), and a reader that carves typed
// values off the front of the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(cond)                                                                      \
    do {                                                                                      \
        if (!(cond)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (0)

namespace ks::fuzz {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    // A number from the next byte (0 when the input is used up).
    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    // A split point within [0, len], taken from the next two bytes.
    std::size_t SplitIn(std::size_t len) {
        std::size_t v = Byte();
        v = v << 8 | Byte();
        return len == 0 ? 0 : v % (len + 1);
    }
    // Up to the next line feed (dropped), or everything that is left.
    std::string_view Line() {
        std::size_t lf = rest_.find('\n');
        std::string_view line = rest_.substr(0, lf);
        rest_.remove_prefix(lf == std::string_view::npos ? rest_.size() : lf + 1);
        return line;
    }
    std::string_view Rest() const { return rest_; }

  private:
    std::string_view rest_;
};

}  // namespace ks::fuzz
