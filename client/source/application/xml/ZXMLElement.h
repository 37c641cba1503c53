// ZXMLElement: one element of a parsed XML document.
//
// The tree is minimal: an element has a qualified name (exactly as written,
// prefix included), an optional attribute map, a non-owning parent reference
// and an ordered list of child nodes, each either a text run or a child element.
// Every lookup compares names exactly and case-sensitively and looks at direct
// children only.
//
// Ownership: an element owns its child elements, and the parser owns the root.
// A parsed tree keeps its text runs, attributes, child lists and elements in its
// root's store (ZXMLStore); ZXMLNode values and the pointers the lookups return
// are borrowed views that stay valid while the tree lives (copy a run's QString
// to keep it longer: the copy is cheap, the string is implicitly shared).
//
// Deep trees are safe: destruction and stringValue() never recurse on the C stack.
#pragma once

#include <QAnyStringView>
#include <QHash>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

class ZXMLElement;
class ZXMLParser;

// One child of an element: a text run or a child element (never both). A node
// is an 8-byte borrowed view of a string or an element that belongs to the tree.
class ZXMLNode {
 public:
  ZXMLNode() noexcept = default;  // an empty (null) text run
  explicit ZXMLNode(ZXMLElement *element) noexcept : fBits(reinterpret_cast<quintptr>(element)) {}
  explicit ZXMLNode(const QString *text) noexcept
      : fBits(reinterpret_cast<quintptr>(text) | kTextBit) {}

  bool isText() const noexcept { return fBits == 0 || (fBits & kTextBit); }
  bool isElement() const noexcept { return !isText(); }
  // The text of a text run; a null string for an element node.
  const QString &text() const noexcept {
    return (fBits & kTextBit) ? *reinterpret_cast<const QString *>(fBits & ~kTextBit)
                              : nullString();
  }
  // The child element; nullptr for a text run.
  ZXMLElement *element() const noexcept {
    return isText() ? nullptr : reinterpret_cast<ZXMLElement *>(fBits);
  }

 private:
  static constexpr quintptr kTextBit = 1;  // strings and elements are at least 2-aligned
  static const QString &nullString() noexcept;
  quintptr fBits = 0;
};
Q_DECLARE_TYPEINFO(ZXMLNode, Q_PRIMITIVE_TYPE);

// The storage of a tree, owned by one element: the root of a parsed tree (which
// keeps everything of the tree below it here) or an element that was given
// children, text or attributes by hand. Objects are made in chunks that grow
// geometrically, at stable addresses, without one allocation each, and are
// destroyed together in a linear sweep instead of a tree walk. (The parser
// stores a repeated string, such as a name or an indentation, once.) An
// implementation detail of ZXMLElement and ZXMLParser.
class ZXMLStore {
 public:
  ZXMLStore() = default;
  ~ZXMLStore();
  ZXMLStore(const ZXMLStore &) = delete;
  ZXMLStore &operator=(const ZXMLStore &) = delete;

  const QString *addString(QString string);
  // An element of a parsed tree (it has an attribute map, at first empty).
  ZXMLElement *addElement(QString qualifiedName);
  // Uninitialised room for `count` objects of a trivially destructible type.
  template <typename T>
  T *allocateArray(std::size_t count) {
    static_assert(std::is_trivially_destructible_v<T> && alignof(T) <= kAlign);
    return static_cast<T *>(allocateBytes(count * sizeof(T)));
  }

 private:
  static constexpr std::size_t kAlign = alignof(void *);  // the arrays hold pointers
  void *allocateBytes(std::size_t bytes);

  template <typename T>
  class Chunks {  // objects at stable addresses, destroyed in the order they were made
   public:
    Chunks() = default;
    Chunks(const Chunks &) = delete;
    Chunks &operator=(const Chunks &) = delete;
    ~Chunks();
    template <typename... Args>
    T *emplace(Args &&...args);

   private:
    struct Chunk {
      T *objects;
      std::size_t capacity;
    };
    std::vector<Chunk> fChunks;
    std::size_t fUsed = 0;  // objects made in the last chunk
  };

  // Destroyed in reverse order: the elements first (their destructors still read
  // their child lists), then the strings, then the blocks of arrays.
  std::vector<std::unique_ptr<std::byte[]>> fBlocks;  // arrays
  Chunks<QString> fStrings;
  Chunks<ZXMLElement> fElements;
  std::byte *fFree = nullptr;  // the rest of the current block
  std::size_t fFreeBytes = 0;
  std::size_t fNextBlockBytes = 64;
};

class ZXMLElement {
 public:
  using AttributeMap = QHash<QString, QString>;

  // initWithQualifiedName:attributes: — an element without children. A missing
  // map (std::nullopt) and an empty map are different: with no map every
  // attribute lookup answers "absent" and attributes() answers std::nullopt.
  explicit ZXMLElement(QString qualifiedName,
                       std::optional<AttributeMap> attributes = std::nullopt);
  ~ZXMLElement();

  ZXMLElement(const ZXMLElement &) = delete;
  ZXMLElement &operator=(const ZXMLElement &) = delete;

  // Adds the element as the last child and sets its parent to this element,
  // which takes ownership. Returns the appended element (nullptr for a null child).
  ZXMLElement *appendChild(std::unique_ptr<ZXMLElement> child);
  // Adds the string as the last child (a text run of its own; runs are never merged).
  void appendText(QString text);

  // The name exactly as written in the document, prefix included.
  const QString &qualifiedName() const noexcept { return fQualifiedName; }

  // The enclosing element (not owning); nullptr for a root.
  ZXMLElement *parent() const noexcept { return fParent; }
  void setParent(ZXMLElement *parent) noexcept { fParent = parent; }

  // All child nodes (text runs and elements) in document order, as a new list.
  QList<ZXMLNode> children() const;
  qsizetype childCount() const noexcept { return qsizetype(fChildCount); }

  // The child elements only, in document order.
  QList<ZXMLElement *> elementChildren() const;

  // The first direct child element whose qualified name equals `name` exactly
  // (case-sensitive, prefix included), or nullptr.
  ZXMLElement *firstChildNamed(QAnyStringView name) const;

  // All direct child elements named `name`, in document order; empty when none.
  // childrenNamed is the same operation under its second name.
  QList<ZXMLElement *> elementsForName(QAnyStringView name) const;
  QList<ZXMLElement *> childrenNamed(QAnyStringView name) const { return elementsForName(name); }

  // True if and only if the attribute map holds a value for exactly that name.
  bool hasAttributeWithQualifiedName(QAnyStringView name) const;
  // That attribute's value, or a null QString when it is absent or the element
  // has no attribute map. A present attribute with an empty value gives a
  // non-null empty string.
  QString valueForAttributeWithQualifiedName(QAnyStringView name) const;

  // Whether the element has an attribute map at all (possibly empty). Elements
  // made by ZXMLParser always have one.
  bool hasAttributeMap() const noexcept { return fHasAttributeMap; }
  // The attribute map as a hash, or std::nullopt when the element has none.
  std::optional<AttributeMap> attributes() const;

  // All descendant text in document order, untrimmed; the empty string (never a
  // null QString) when there is none.
  QString stringValue() const;

  // "Element with QName: <qualified name>".
  QString description() const;

 private:
  friend class ZXMLParser;
  friend struct ZXMLParseState;
  friend class ZXMLStore;

  struct Attribute {  // both strings live in a store; names are unique
    const QString *name;
    const QString *value;
  };
  struct ParsedTag {};
  ZXMLElement(QString qualifiedName, ParsedTag) noexcept
      : fQualifiedName(std::move(qualifiedName)), fHasAttributeMap(true) {}

  ZXMLStore &store();  // this element's own store, made on first use
  const ZXMLNode *childrenBegin() const noexcept { return fChildren; }
  const ZXMLNode *childrenEnd() const noexcept { return fChildren + fChildCount; }
  void appendNode(ZXMLNode node);
  const Attribute *findAttribute(QAnyStringView name) const;

  QString fQualifiedName;
  ZXMLElement *fParent = nullptr;
  // The child nodes, in a store: the root's for a parsed tree, this element's
  // own once children are appended by hand. The nodes own (indirectly, see the
  // destructor) the elements they point to.
  ZXMLNode *fChildren = nullptr;
  std::uint32_t fChildCount = 0;
  std::uint32_t fChildCapacity = 0;
  const Attribute *fAttributes = nullptr;  // in a store, like the children
  std::uint32_t fAttributeCount = 0;
  bool fHasAttributeMap = false;
  bool fInStore = false;           // lives in an ancestor's store: never deleted on its own
  bool fHasOwnedChildren = false;  // appendChild was used: some children are not in a store
  // (Members are destroyed after the destructor body: the store outlives the
  // descendants freed there, whose nodes may point into it.)
  std::unique_ptr<ZXMLStore> fStore;
};
