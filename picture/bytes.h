// bytes.h: numbers and signatures read out of a file's bytes, never past their end.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace picture {

using FileBytes = std::span<const std::uint8_t>;

// A file's bytes, read at offsets from its start. Offsets come from the file itself,
// so any may lie past the end: has() and is() say so. big() and little() read 1 to 4
// bytes that has() allowed; a read past the end is a fault, asserted, and gives 0.
class ByteReader
{
public:
    explicit ByteReader(FileBytes bytes) : m_bytes(bytes) {}

    std::size_t size() const { return m_bytes.size(); }
    bool has(std::size_t at, std::size_t count) const { return at <= m_bytes.size() && count <= m_bytes.size() - at; }
    bool is(std::size_t at, std::string_view text) const
    {
        if (!has(at, text.size()))
            return false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (m_bytes[at + i] != std::uint8_t(text[i]))
                return false;
        }
        return true;
    }
    std::uint32_t big(std::size_t at, int count) const
    {
        if (!fits(at, count))
            return 0;
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value = value << 8 | m_bytes[at + std::size_t(i)];
        return value;
    }
    std::uint32_t little(std::size_t at, int count) const
    {
        if (!fits(at, count))
            return 0;
        std::uint32_t value = 0;
        for (int i = count - 1; i >= 0; --i)
            value = value << 8 | m_bytes[at + std::size_t(i)];
        return value;
    }

private:
    bool fits(std::size_t at, int count) const
    {
        assert(count >= 1 && count <= 4 && has(at, std::size_t(count)));
        return count >= 1 && count <= 4 && has(at, std::size_t(count));
    }

    FileBytes m_bytes;
};

} // namespace picture
