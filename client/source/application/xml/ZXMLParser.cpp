#include "ZXMLParser.h"

#include <expat.h>

#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Expat hands over UTF-8 that it has checked. An empty string stays non-null:
// a present but empty attribute value is not an absent one.
QString fromUtf8(const char *bytes, std::size_t length) {
  if (length == 0) return QStringLiteral("");
  if (length >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
    // QString::fromUtf8 drops a leading U+FEFF as a byte-order mark; inside a
    // document it is a character of the text and must stay.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(bytes, qsizetype(length)));
  }
  return QString::fromUtf8(bytes, qsizetype(length));
}

// A direct-mapped cache from short UTF-8 byte strings to the string made from
// them, kept in the tree's store. Names, attribute values such as "video/mp4",
// and the text runs of indentation and entity references repeat thousands of
// times in a document; with the cache they share one stored string instead of
// each being converted and allocated. Its size is fixed when it is made, so a
// document of ever-new strings cannot make it grow: a miss replaces the slot
// (the string it held stays in the store, in use by the tree).
class StringCache {
 public:
  static constexpr std::size_t kMaxLength = 40;

  explicit StringCache(std::size_t slotCount) : fMask(slotCount - 1), fSlots(new Slot[slotCount]) {}

  // The smallest power of two >= wanted, within [low, high].
  static std::size_t slotsFor(std::size_t wanted, std::size_t low, std::size_t high) {
    std::size_t count = low;
    while (count < wanted && count < high) count *= 2;
    return count;
  }

  const QString *get(ZXMLStore &store, const char *bytes, std::size_t length) {
    if (length > kMaxLength) return store.addString(fromUtf8(bytes, length));
    Slot &slot = fSlots[hash(bytes, length) & fMask];
    if (slot.length == length && std::memcmp(slot.bytes, bytes, length) == 0) return slot.string;
    slot.length = kEmpty;  // stays empty if the next line throws
    slot.string = store.addString(fromUtf8(bytes, length));
    std::memcpy(slot.bytes, bytes, length);
    slot.length = std::uint32_t(length);
    return slot.string;
  }

 private:
  static constexpr std::uint32_t kEmpty = UINT32_MAX;
  struct Slot {
    std::uint32_t length = kEmpty;
    char bytes[kMaxLength];
    const QString *string = nullptr;
  };

  // Eight bytes at a time (a string here has at most five such words).
  static std::size_t hash(const char *bytes, std::size_t length) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ length;
    while (length >= 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes, 8);
      h = (h ^ word) * 0xFF51AFD7ED558CCDull;
      h ^= h >> 32;
      bytes += 8;
      length -= 8;
    }
    if (length) {
      std::uint64_t word = 0;
      std::memcpy(&word, bytes, length);
      h = (h ^ word) * 0xFF51AFD7ED558CCDull;
    }
    h ^= h >> 29;
    h *= 0xC4CEB9FE1A85EC53ull;
    return std::size_t(h ^ (h >> 32));
  }

  std::size_t fMask;
  std::unique_ptr<Slot[]> fSlots;
};

}  // namespace

// The state of one parse: fCurrentElement plus what the handlers need.
// (At namespace scope: ZXMLElement names it as a friend.)
struct ZXMLParseState {
  explicit ZXMLParseState(qsizetype documentBytes)
      : texts(StringCache::slotsFor(std::size_t(documentBytes) / 32, 64, 2048)) {}

  XML_Parser parser = nullptr;
  ZXMLElement *root = nullptr;     // owned by the caller once set
  ZXMLElement *current = nullptr;  // fCurrentElement
  ZXMLStore *store = nullptr;      // the root's store: everything below the root
  bool inCdata = false;
  bool failed = false;      // a handler could not complete (out of memory)
  StringCache names{256};   // element and attribute names
  StringCache values{512};  // attribute values
  StringCache texts;        // text runs

  // Children of the open elements are gathered on one stack (`pending`) and
  // copied into their element's list, allocated once at its exact size in the
  // store, when the element closes; `marks` holds, per open element, where its
  // children begin on the stack. The finished tree is the same as appending
  // each child as it arrives.
  std::vector<ZXMLNode> pending;
  std::vector<std::size_t> marks;

  void abort() noexcept {
    failed = true;
    XML_StopParser(parser, XML_FALSE);
  }

  void closeCurrent() {
    const std::size_t mark = marks.back();
    const std::size_t count = pending.size() - mark;
    if (count) {
      if (count > UINT32_MAX) throw std::bad_alloc();
      ZXMLNode *children = store->allocateArray<ZXMLNode>(count);
      std::memcpy(children, pending.data() + mark, count * sizeof(ZXMLNode));
      current->fChildren = children;
      current->fChildCount = current->fChildCapacity = std::uint32_t(count);
      pending.resize(mark);
    }
    marks.pop_back();
    current = current->fParent;
  }

  static void XMLCALL startElement(void *userData, const XML_Char *name, const XML_Char **atts) {
    auto *state = static_cast<ZXMLParseState *>(userData);
    try {
      // Room for this element's mark first, so that recording it cannot fail
      // once the element is in the tree (grown geometrically: deep documents).
      if (state->marks.size() == state->marks.capacity())
        state->marks.reserve(std::max<std::size_t>(64, state->marks.capacity() * 2));
      ZXMLElement *element;
      if (!state->current) {
        if (state->root) {  // a second root: expat reports it before, but be sure
          state->abort();
          return;
        }
        // The one root of the parse: made on its own, it keeps the rest of the
        // tree in its store.
        std::unique_ptr<ZXMLElement> root(
            new ZXMLElement(fromUtf8(name, std::strlen(name)), ZXMLElement::ParsedTag{}));
        state->store = &root->store();
        element = state->root = root.release();
      } else {
        // Owned by the root's store from here on, whatever happens next.
        ZXMLStore &store = *state->store;
        element = store.addElement(*state->names.get(store, name, std::strlen(name)));
        element->fParent = state->current;
        state->pending.emplace_back(element);
      }
      std::size_t count = 0;
      while (atts[2 * count]) ++count;
      if (count) {
        ZXMLStore &store = *state->store;
        auto *attributes = store.allocateArray<ZXMLElement::Attribute>(count);
        for (std::size_t i = 0; i < count; ++i) {
          const char *attributeName = atts[2 * i];
          const char *value = atts[2 * i + 1];
          attributes[i].name = state->names.get(store, attributeName, std::strlen(attributeName));
          attributes[i].value = state->values.get(store, value, std::strlen(value));
        }
        element->fAttributes = attributes;
        element->fAttributeCount = std::uint32_t(count);
      }
      state->marks.push_back(state->pending.size());  // reserved above: cannot throw
      state->current = element;
    } catch (...) {  // nothing may unwind through expat's C frames
      state->abort();
    }
  }

  static void XMLCALL endElement(void *userData, const XML_Char *) {
    auto *state = static_cast<ZXMLParseState *>(userData);
    if (!state->current) return;
    try {
      state->closeCurrent();
    } catch (...) {
      state->abort();
    }
  }

  static void XMLCALL characters(void *userData, const XML_Char *s, int length) {
    auto *state = static_cast<ZXMLParseState *>(userData);
    // Text outside the root and CDATA content do not reach the tree. Each
    // delivery is a text run of its own, neither merged nor trimmed.
    if (!state->current || state->inCdata || length <= 0) return;
    try {
      state->pending.emplace_back(state->texts.get(*state->store, s, std::size_t(length)));
    } catch (...) {
      state->abort();
    }
  }

  static void XMLCALL startCdata(void *userData) {
    static_cast<ZXMLParseState *>(userData)->inCdata = true;
  }
  static void XMLCALL endCdata(void *userData) {
    static_cast<ZXMLParseState *>(userData)->inCdata = false;
  }
};

ZXMLParser::ZXMLParser(const QString &xml) : fXml(xml.toUtf8()), fDecoded(true) {}

ZXMLParser::ZXMLParser(QByteArray document) : fXml(std::move(document)) {}

ZXMLParser::~ZXMLParser() = default;

ZXMLElement *ZXMLParser::parse() {
  fRootElement.reset();  // the tree of a previous parse is gone
  fErrorString.clear();
  fErrorLine = fErrorColumn = 0;

  // Decoded text is UTF-8 now: say so, which also overrides the declaration.
  // Bytes as received are read as the document itself says. Either way expat
  // hands the handlers UTF-8.
  XML_Parser parser = XML_ParserCreate(fDecoded ? "UTF-8" : nullptr);
  if (!parser) {
    fErrorString = QStringLiteral("cannot create the XML parser");
    return nullptr;
  }
  std::unique_ptr<ZXMLParseState> state;
  try {
    state = std::make_unique<ZXMLParseState>(fXml.size());
  } catch (const std::bad_alloc &) {
    XML_ParserFree(parser);
    fErrorString = QStringLiteral("out of memory");
    return nullptr;
  }
  state->parser = parser;
  XML_SetUserData(parser, state.get());
  XML_SetElementHandler(parser, &ZXMLParseState::startElement, &ZXMLParseState::endElement);
  XML_SetCharacterDataHandler(parser, &ZXMLParseState::characters);
  XML_SetCdataSectionHandler(parser, &ZXMLParseState::startCdata, &ZXMLParseState::endCdata);
  // No external entity handler: external entities are never loaded. Parameter
  // entity parsing stays at its default (never).

  // Hand the bytes over in pieces small enough for expat's int lengths.
  constexpr qsizetype kMaxChunk = qsizetype(1) << 30;
  const char *data = fXml.constData();
  qsizetype remaining = fXml.size();
  XML_Status status;
  do {
    const qsizetype chunk = std::min(remaining, kMaxChunk);
    remaining -= chunk;
    status = XML_Parse(parser, data, int(chunk), remaining == 0 ? XML_TRUE : XML_FALSE);
    data += chunk;
  } while (status == XML_STATUS_OK && remaining > 0);

  // The root, complete or partial, is owned from here on so that it is released
  // on every path. A partial tree needs nothing more: every element below the
  // root lives in the root's store, attached to its parent's list yet or not.
  std::unique_ptr<ZXMLElement> root(state->root);
  if (status != XML_STATUS_OK || state->failed || !root) {
    const XML_Error code = XML_GetErrorCode(parser);
    if (state->failed)
      fErrorString = QStringLiteral("out of memory");
    else
      fErrorString = QString::fromUtf8(XML_ErrorString(code));
    fErrorLine = long(XML_GetCurrentLineNumber(parser));
    fErrorColumn = long(XML_GetCurrentColumnNumber(parser));
    XML_ParserFree(parser);
    return nullptr;  // the partial tree dies with `root`
  }
  XML_ParserFree(parser);
  fRootElement = std::move(root);
  return fRootElement.get();
}

QString ZXMLParser::errorDescription() const {
  if (fErrorString.isEmpty()) return QString();
  if (fErrorLine <= 0) return fErrorString;
  return QStringLiteral("%1 at line %2, column %3")
      .arg(fErrorString)
      .arg(fErrorLine)
      .arg(fErrorColumn);
}
