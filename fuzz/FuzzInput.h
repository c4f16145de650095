#pragma once
// Reading a fuzzer's bytes as a small script: texts, flags and choices taken from the front
// of the input, so that a mutation of one byte changes one decision.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

class TFuzzInput {
  public:
    TFuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return position_ >= size_; }

    std::uint8_t Byte() { return Empty() ? 0 : data_[position_++]; }
    bool Flag() { return Byte() & 1; }
    // A number below limit (limit > 0).
    std::size_t Below(std::size_t limit) { return Byte() % limit; }

    // A text of at most maxLength bytes: a length byte, then that many bytes.
    std::string Text(std::size_t maxLength = 255) {
        std::size_t length = Byte();
        if (length > maxLength)
            length %= maxLength + 1;
        length = std::min(length, size_ - std::min(position_, size_));
        std::string text(reinterpret_cast<const char*>(data_ + position_), length);
        position_ += length;
        return text;
    }

    // A text of up to 65,535 bytes: a two-byte length (low byte first), then the bytes.
    std::string LongText() {
        const std::size_t low = Byte();
        const std::size_t length =
            std::min(low | std::size_t{Byte()} << 8, size_ - std::min(position_, size_));
        std::string text(reinterpret_cast<const char*>(data_ + position_), length);
        position_ += length;
        return text;
    }

    // Everything not read yet.
    std::string Rest() {
        std::string rest = Empty() ? std::string()
                                   : std::string(reinterpret_cast<const char*>(data_ + position_),
                                                 size_ - position_);
        position_ = size_;
        return rest;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// A broken expectation: report it the way a sanitizer would, so the fuzzer keeps the input.
[[noreturn]] void FuzzFailure(const std::string& what);

#define FUZZ_EXPECT(condition, what)                                                               \
    do {                                                                                           \
        if (!(condition))                                                                          \
            FuzzFailure(what);                                                                     \
    } while (false)
