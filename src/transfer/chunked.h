// Decoder of the chunked transfer coding: framing in, body bytes out, so the
// chunk sizes never land in the downloaded file. Incremental: blocks may split
// the input anywhere.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ks {

class ChunkedDecoder {
  public:
    // Longest chunk-size line (extensions included) and the most trailer bytes.
    static constexpr std::size_t kMaxSizeLine = 1024;
    static constexpr std::size_t kMaxTrailer = 64 * 1024;

    // Decodes data in place: the body bytes found are moved to the front of
    // data and their count returned. Bytes after the final chunk are ignored.
    std::size_t Decode(char* data, std::size_t len);

    bool Done() const { return state_ == State::Done; }
    bool Failed() const { return state_ == State::Failed; }

  private:
    enum class State { Size, SizeRest, Data, DataEnd, Trailer, Done, Failed };
    bool SizeByte(char c);
    bool TrailerByte(char c);

    State state_ = State::Size;
    std::uint64_t remaining_ = 0;  // body bytes left in the current chunk
    std::size_t lineLength_ = 0;
    std::size_t digits_ = 0;
    std::size_t trailerBytes_ = 0;
    bool sawCr_ = false;
};

}  // namespace ks
