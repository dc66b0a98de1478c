// Reading a SWF file into a Movie: signature, decompression, header, and the tag walk.
//
// Bad input never crashes and never allocates more than the data justifies:
// - FileLength is authoritative for the uncompressed size (header included). A shorter value
//   cuts the movie; a longer one than the data holds leaves the movie truncated. A value
//   below the 8-byte header, or above kMaxMovieBytes, rejects the file.
// - Compressed data is decoded into a buffer that grows with the real output and stops at
//   FileLength, so a tiny file claiming 256 MiB costs what it decodes to. A broken or short
//   stream keeps what decoded before the fault.
// - A tag whose length runs past the end ends the walk (the movie is then truncated).
// - The stage RECT's fields are read bit by bit with bounds checks.
// For ZWS, the stored compressed length is not relied on: the LZMA data is decoded until
// FileLength bytes came out or the file ends.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "flash/swf_movie.h"

namespace flash {

inline constexpr std::uint32_t kMaxMovieBytes = 256u << 20;

enum class LoadError : std::uint8_t {
    None,
    CannotRead,     // the file could not be opened or read
    NotSwf,         // no FWS/CWS/ZWS signature, or shorter than the 8-byte header
    BadFileLength,  // FileLength below the 8-byte header
    TooLarge,       // FileLength above kMaxMovieBytes
    BrokenStream,   // the compressed data decoded to nothing usable
    BadHeader,      // the stage rectangle, frame rate or frame count is cut short
};

// A short English name of the error, for diagnostics.
const char* LoadErrorName(LoadError error);

struct LoadResult {
    LoadError error = LoadError::None;
    Movie movie;  // meaningful only when error is None

    bool Ok() const { return error == LoadError::None; }
};

// The signature, version and FileLength of the first 8 bytes and the uncompressed movie
// bytes (header included, at most FileLength). Exposed for the benchmark and the tests; on
// failure `bytes` is left empty.
LoadError Decompress(std::span<const std::uint8_t> file, Header& header,
                     std::vector<std::uint8_t>& bytes, bool& truncated);

LoadResult ParseMovie(std::span<const std::uint8_t> file);

// Reads the file (path in the system's ANSI code page) and parses it.
LoadResult LoadMovieFile(const std::string& path);

}  // namespace flash
