#include "transfer/chunked.h"

#include <algorithm>
#include <cstring>

namespace ks {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

// One byte of a chunk-size line: hex digits, then optional blanks or
// ";extension" up to the line end.
bool ChunkedDecoder::SizeByte(char c) {
    if (++lineLength_ > kMaxSizeLine) return false;
    if (c == '\n') {
        if (digits_ == 0) return false;
        lineLength_ = 0;
        digits_ = 0;
        sawCr_ = false;
        if (remaining_ == 0) {
            state_ = State::Trailer;
            sawCr_ = false;
        } else {
            state_ = State::Data;
        }
        return true;
    }
    if (state_ == State::Size) {
        int v = HexValue(c);
        if (v >= 0) {
            if (++digits_ > 15) return false;  // beyond any real length; also no overflow
            remaining_ = remaining_ * 16 + static_cast<unsigned>(v);
            return true;
        }
        if (digits_ == 0) return false;
        state_ = State::SizeRest;
    }
    // SizeRest: extensions and blanks are skipped; a bare CR must end the line.
    if (sawCr_) return false;
    if (c == '\r') sawCr_ = true;
    return true;
}

// Trailer lines are skipped; the empty line ends the body.
bool ChunkedDecoder::TrailerByte(char c) {
    if (++trailerBytes_ > kMaxTrailer) return false;
    if (c == '\n') {
        if (lineLength_ == 0) state_ = State::Done;
        lineLength_ = 0;
        return true;
    }
    if (c != '\r' || lineLength_ > 0) ++lineLength_;
    return true;
}

std::size_t ChunkedDecoder::Decode(char* data, std::size_t len) {
    std::size_t out = 0;
    std::size_t i = 0;
    while (i < len && state_ != State::Done && state_ != State::Failed) {
        bool ok = true;
        switch (state_) {
            case State::Size:
            case State::SizeRest:
                ok = SizeByte(data[i++]);
                break;
            case State::Data: {
                std::size_t n =
                    static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, len - i));
                if (out != i) std::memmove(data + out, data + i, n);
                out += n;
                i += n;
                remaining_ -= n;
                if (remaining_ == 0) {
                    state_ = State::DataEnd;
                    sawCr_ = false;
                }
                break;
            }
            case State::DataEnd: {
                char c = data[i++];
                if (c == '\r' && !sawCr_) {
                    sawCr_ = true;
                } else if (c == '\n') {
                    state_ = State::Size;
                    sawCr_ = false;
                } else {
                    ok = false;
                }
                break;
            }
            case State::Trailer:
                ok = TrailerByte(data[i++]);
                break;
            default:
                break;
        }
        if (!ok) state_ = State::Failed;
    }
    return out;
}

}  // namespace ks
