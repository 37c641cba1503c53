#include "Body.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>

namespace zsvc {

namespace {

class MemoryBody : public BodySource {
 public:
  explicit MemoryBody(std::string bytes)
      : fBytes(std::make_shared<std::string>(std::move(bytes))) {}
  uint64_t size() const override { return fBytes->size(); }
  BodyReader open() const override {
    return [bytes = fBytes](uint64_t offset, char *buffer, size_t length) {
      if (offset > bytes->size() || length > bytes->size() - offset) return false;
      std::memcpy(buffer, bytes->data() + offset, length);
      return true;
    };
  }

 private:
  std::shared_ptr<const std::string> fBytes;
};

class FileBody : public BodySource {
 public:
  FileBody(std::string path, uint64_t size) : fPath(std::move(path)), fSize(size) {}
  uint64_t size() const override { return fSize; }
  BodyReader open() const override {
    const int fd = ::open(fPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    // The descriptor lives as long as the reader (the response) does.
    auto descriptor = std::shared_ptr<int>(new int(fd), [](int *p) {
      ::close(*p);
      delete p;
    });
    return [descriptor](uint64_t offset, char *buffer, size_t length) {
      while (length > 0) {
        const ssize_t got = ::pread(*descriptor, buffer, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        buffer += got;
        offset += static_cast<uint64_t>(got);
        length -= static_cast<size_t>(got);
      }
      return true;
    };
  }

 private:
  std::string fPath;
  uint64_t fSize;
};

class PatternBody : public BodySource {
 public:
  PatternBody(uint64_t seed, uint64_t size) : fSeed(seed), fSize(size) {}
  uint64_t size() const override { return fSize; }
  BodyReader open() const override {
    return [seed = fSeed, size = fSize](uint64_t offset, char *buffer, size_t length) {
      if (offset > size || length > size - offset) return false;
      // Byte by byte up to a word boundary, then whole words.
      while (length > 0 && offset % 8 != 0) {
        *buffer++ = static_cast<char>(patternByte(seed, offset++));
        --length;
      }
      while (length >= 8) {
        uint64_t word = (offset / 8) ^ seed;
        unsigned char bytes[8];
        for (int i = 0; i < 8; ++i) {
          bytes[i] = static_cast<unsigned char>(word & 0xff);
          word >>= 8;
        }
        std::memcpy(buffer, bytes, 8);
        buffer += 8;
        offset += 8;
        length -= 8;
      }
      while (length > 0) {
        *buffer++ = static_cast<char>(patternByte(seed, offset++));
        --length;
      }
      return true;
    };
  }

 private:
  uint64_t fSeed;
  uint64_t fSize;
};

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// A run of decimal digits as a number; false for no digits or overflow.
bool readNumber(std::string_view text, uint64_t *value) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), *value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

}  // namespace

std::shared_ptr<const BodySource> memoryBody(std::string bytes) {
  return std::make_shared<MemoryBody>(std::move(bytes));
}

std::shared_ptr<const BodySource> fileBody(std::string path, uint64_t size) {
  return std::make_shared<FileBody>(std::move(path), size);
}

std::shared_ptr<const BodySource> patternBody(uint64_t seed, uint64_t size) {
  return std::make_shared<PatternBody>(seed, size);
}

RangeRequest parseRange(std::string_view header, uint64_t size, ByteRange *range) {
  header = trim(header);
  const size_t eq = header.find('=');
  if (eq == std::string_view::npos || !equalsIgnoringCase(trim(header.substr(0, eq)), "bytes"))
    return RangeRequest::kWhole;
  const std::string_view rangeSet = trim(header.substr(eq + 1));
  if (rangeSet.find(',') != std::string_view::npos) return RangeRequest::kWhole;
  const size_t dash = rangeSet.find('-');
  if (dash == std::string_view::npos) return RangeRequest::kWhole;
  const std::string_view firstText = trim(rangeSet.substr(0, dash));
  const std::string_view lastText = trim(rangeSet.substr(dash + 1));

  if (firstText.empty()) {  // the last N bytes
    uint64_t suffix = 0;
    if (!readNumber(lastText, &suffix)) return RangeRequest::kWhole;
    if (suffix == 0 || size == 0) return RangeRequest::kUnsatisfiable;
    range->first = size - std::min(suffix, size);
    range->last = size - 1;
    return RangeRequest::kSatisfiable;
  }

  uint64_t first = 0;
  if (!readNumber(firstText, &first)) return RangeRequest::kWhole;
  uint64_t last = UINT64_MAX;
  if (!lastText.empty()) {
    if (!readNumber(lastText, &last)) return RangeRequest::kWhole;
    if (last < first) return RangeRequest::kWhole;
  }
  if (first >= size) return RangeRequest::kUnsatisfiable;
  range->first = first;
  range->last = std::min(last, size - 1);
  return RangeRequest::kSatisfiable;
}

bool acceptsGzip(std::string_view acceptEncoding) {
  while (!acceptEncoding.empty()) {
    const size_t comma = acceptEncoding.find(',');
    std::string_view item = acceptEncoding.substr(0, comma);
    acceptEncoding =
        comma == std::string_view::npos ? std::string_view() : acceptEncoding.substr(comma + 1);
    const size_t semicolon = item.find(';');
    const std::string_view coding = trim(item.substr(0, semicolon));
    if (!equalsIgnoringCase(coding, "gzip") && !equalsIgnoringCase(coding, "x-gzip")) continue;
    if (semicolon == std::string_view::npos) return true;
    // "q=0", "q=0.0", "q=0.000" refuse the coding; any other weight accepts it.
    std::string_view params = trim(item.substr(semicolon + 1));
    if (params.size() >= 2 && (params[0] == 'q' || params[0] == 'Q') && params[1] == '=') {
      const std::string_view weight = trim(params.substr(2));
      const bool zero = !weight.empty() && weight.find_first_not_of("0.") == std::string_view::npos;
      if (zero) continue;
    }
    return true;
  }
  return false;
}

std::string gzipCompress(std::string_view bytes) {
  z_stream stream{};
  // 15 window bits plus 16: a gzip wrapper rather than a zlib one.
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  std::string out;
  out.resize(deflateBound(&stream, static_cast<uLong>(bytes.size())));
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef *>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int status = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (status != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
  return out;
}

}  // namespace zsvc
