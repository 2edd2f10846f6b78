#pragma once
// Big-endian field reader and writer for the BDMV database files.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

using Bytes = std::vector<std::uint8_t>;

// Reads big-endian fields from a byte buffer, from the current position on.
// Every read is bounds-checked: a read past the end throws FormatError naming
// the file and the offset of the field, and leaves the position unchanged.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data, std::string name = {});

    std::uint8_t readbyte();
    std::uint16_t readword();
    std::uint32_t read3byte();
    std::uint32_t readlword();
    std::uint64_t read5byte();
    // Reads n bytes and keeps the characters before the first NUL byte.
    std::string readstring(std::size_t n);
    // Reads n bytes unchanged.
    Bytes readbytes(std::size_t n);
    void skip(std::size_t n);

    // Checks, before anything is sized from a count read from the file, that
    // `count` records of at least `minSize` bytes each still fit in the bytes
    // left; throws a FormatError naming `what` otherwise.
    void checkCount(std::uint64_t count, std::size_t minSize, const char* what) const;
    // How many whole records of minSize bytes are left (for readers that keep
    // what a cut file really holds).
    std::size_t fitting(std::size_t minSize) const { return minSize == 0 ? remaining() : remaining() / minSize; }

    std::size_t pos() const { return pos_; }
    std::size_t size() const { return data_.size(); }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    // Moves to an absolute offset; an offset beyond the end is a format error.
    void seek(std::size_t offset);
    const std::string& name() const { return name_; }

    // Throws FormatError at the current position with the given reason.
    [[noreturn]] void fail(const std::string& reason) const;

private:
    void need(std::size_t n, const char* what) const;

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::string name_;
};

// The type indicator and version that open every database file.
struct TypeAndVersion {
    std::string type;
    std::string version;
};

// Which versions a file kind is read in: "0100" and "0200", or also the
// "0300" of Ultra HD discs (index.bdmv, MovieObject.bdmv, playlists and clip
// information files).
enum class Versions { BD, BDAndUHD };

// The version of the files of an Ultra HD Blu-ray disc.
inline constexpr std::string_view kUhdVersion = "0300";

// Reads the 4-character type indicator and the 4-character version and
// throws WrongTypeError (at offset 8) unless the type is `type` and the
// version one of `versions`.
TypeAndVersion readTypeAndVersion(ByteReader& in, std::string_view type, Versions versions = Versions::BD);

// A file's text for messages: unprintable bytes as \xHH.
std::string printableText(std::string_view s);

// Appends big-endian fields to a growable buffer.
class ByteWriter {
public:
    void putbyte(std::uint8_t v) { buf_.push_back(v); }
    void putword(std::uint16_t v);
    void put3byte(std::uint32_t v);
    void putlword(std::uint32_t v);
    void put5byte(std::uint64_t v);
    // Writes the text cut to width bytes, padded with NUL bytes to width.
    void putstring(std::string_view text, std::size_t width);
    void putbytes(std::span<const std::uint8_t> bytes);
    void putzeros(std::size_t n) { buf_.insert(buf_.end(), n, 0); }

    // Overwrites a 32-bit field already written at offset.
    void patchlword(std::size_t offset, std::uint32_t v);

    std::size_t size() const { return buf_.size(); }
    const Bytes& bytes() const { return buf_; }
    Bytes take() { return std::move(buf_); }

private:
    Bytes buf_;
};

// Reads hexadecimal digits and skips every other character ("12 34-AB" is
// 0x1234AB); digits beyond 32 bits shift the first ones out. For values typed
// into grid cells.
std::uint32_t parseLenientHex(std::string_view text);

}  // namespace navora
