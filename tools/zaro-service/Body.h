#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zsvc {

// Reads bytes of one body for one response: fills buffer with length bytes
// from offset, false when that cannot be done.
using BodyReader = std::function<bool(uint64_t offset, char *buffer, size_t length)>;

// Where the bytes of a response come from. Sources are shared between threads
// and never change; each response opens its own reader, so a file is streamed
// in pieces and never held in memory whole.
class BodySource {
 public:
  virtual ~BodySource() = default;
  virtual uint64_t size() const = 0;
  // A reader for one response, or an empty function when the source cannot be
  // opened (a file removed since the catalog was loaded).
  virtual BodyReader open() const = 0;
};

std::shared_ptr<const BodySource> memoryBody(std::string bytes);
std::shared_ptr<const BodySource> fileBody(std::string path, uint64_t size);
// A generated body: see patternByte.
std::shared_ptr<const BodySource> patternBody(uint64_t seed, uint64_t size);

// Byte offset of a generated body: the body is a sequence of little-endian
// 64-bit words, word k holding k XOR seed. Deterministic, so a reader can check
// any piece of a download without the server's help.
inline uint8_t patternByte(uint64_t seed, uint64_t offset) {
  return static_cast<uint8_t>(((offset / 8) ^ seed) >> (8 * (offset % 8)));
}

// The seed of the generated body of a permalink (FNV-1a of its bytes).
inline uint64_t patternSeed(std::string_view permalink) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : permalink) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// One byte range of a body, both ends included.
struct ByteRange {
  uint64_t first = 0;
  uint64_t last = 0;
  uint64_t length() const { return last - first + 1; }
};

enum class RangeRequest {
  kWhole,          // no usable "Range": answer the whole body
  kSatisfiable,    // answer 206 with the range
  kUnsatisfiable,  // answer 416
};

// Reads a "Range" header against a body of size bytes. One range of the forms
// "bytes=N-", "bytes=N-M" (M clipped to the end) and "bytes=-S" (the last S
// bytes) is honoured; a range starting at or after the end, or a suffix of 0
// bytes, cannot be satisfied. Several ranges, other units and malformed text
// are ignored: the whole body is answered.
RangeRequest parseRange(std::string_view header, uint64_t size, ByteRange *range);

// True when an "Accept-Encoding" value accepts gzip (a "gzip" or "x-gzip"
// coding whose q is not 0).
bool acceptsGzip(std::string_view acceptEncoding);

// The gzip member of the bytes.
std::string gzipCompress(std::string_view bytes);

}  // namespace zsvc
