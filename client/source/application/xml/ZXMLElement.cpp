#include "ZXMLElement.h"

#include <algorithm>
#include <cstring>
#include <new>

// ---------------------------------------------------------------------------
// ZXMLStore

template <typename T>
ZXMLStore::Chunks<T>::~Chunks() {
  for (std::size_t c = 0; c < fChunks.size(); ++c) {
    const std::size_t made = c + 1 == fChunks.size() ? fUsed : fChunks[c].capacity;
    for (std::size_t i = 0; i < made; ++i) fChunks[c].objects[i].~T();
    std::allocator<T>().deallocate(fChunks[c].objects, fChunks[c].capacity);
  }
}

template <typename T>
template <typename... Args>
T *ZXMLStore::Chunks<T>::emplace(Args &&...args) {
  if (fChunks.empty() || fUsed == fChunks.back().capacity) {
    // From a few objects (a hand-built element) to a block of 64 KiB (a large
    // document; below malloc's mmap threshold, so that freed heap is reused).
    constexpr std::size_t kMaxCapacity = std::max<std::size_t>(1, 64 * 1024 / sizeof(T));
    const std::size_t capacity =
        fChunks.empty() ? 4 : std::min<std::size_t>(fChunks.back().capacity * 2, kMaxCapacity);
    fChunks.reserve(fChunks.size() + 1);
    fChunks.push_back({std::allocator<T>().allocate(capacity), capacity});
    fUsed = 0;
  }
  T *object = new (fChunks.back().objects + fUsed) T(std::forward<Args>(args)...);
  ++fUsed;
  return object;
}

ZXMLStore::~ZXMLStore() = default;

const QString *ZXMLStore::addString(QString string) { return fStrings.emplace(std::move(string)); }

ZXMLElement *ZXMLStore::addElement(QString qualifiedName) {
  ZXMLElement *element = fElements.emplace(std::move(qualifiedName), ZXMLElement::ParsedTag{});
  element->fInStore = true;
  return element;
}

void *ZXMLStore::allocateBytes(std::size_t bytes) {
  bytes = (bytes + kAlign - 1) & ~(kAlign - 1);
  if (bytes == 0) return nullptr;
  constexpr std::size_t kMaxBlockBytes = 64 * 1024;
  if (bytes > fFreeBytes) {
    if (bytes > kMaxBlockBytes / 4) {
      // A large array gets a block of its own; the current block stays in use.
      fBlocks.reserve(fBlocks.size() + 1);
      fBlocks.emplace_back(new std::byte[bytes]);
      return fBlocks.back().get();
    }
    const std::size_t blockBytes = std::max(fNextBlockBytes, bytes);
    fBlocks.reserve(fBlocks.size() + 1);
    fBlocks.emplace_back(new std::byte[blockBytes]);
    fFree = fBlocks.back().get();
    fFreeBytes = blockBytes;
    fNextBlockBytes = std::min(fNextBlockBytes * 2, kMaxBlockBytes);
  }
  void *result = fFree;
  fFree += bytes;
  fFreeBytes -= bytes;
  return result;
}

// ---------------------------------------------------------------------------
// ZXMLNode

const QString &ZXMLNode::nullString() noexcept {
  static const QString null;
  return null;
}

// ---------------------------------------------------------------------------
// ZXMLElement

ZXMLElement::ZXMLElement(QString qualifiedName, std::optional<AttributeMap> attributes)
    : fQualifiedName(std::move(qualifiedName)), fHasAttributeMap(attributes.has_value()) {
  if (attributes && !attributes->isEmpty()) {
    Attribute *array = store().allocateArray<Attribute>(std::size_t(attributes->size()));
    for (auto it = attributes->cbegin(); it != attributes->cend(); ++it)
      array[fAttributeCount++] = {fStore->addString(it.key()), fStore->addString(it.value())};
    fAttributes = array;
  }
}

// Frees the children this element owns on its own: those that do not live in a
// store. (The elements of a parsed tree live in its root's store, which destroys
// them in one sweep after this body; each of them frees in turn only what was
// appended to it by hand.) The walk is iterative: every element is detached
// from its children before it is deleted, so no destructor sees an element
// child of its own and nothing recurses, however deep the tree.
ZXMLElement::~ZXMLElement() {
  std::vector<ZXMLElement *> pending;
  const auto collect = [&pending](const ZXMLElement *element) {
    if (!element->fHasOwnedChildren) return;  // all children (if any) live in a store
    for (const ZXMLNode *node = element->childrenBegin(); node != element->childrenEnd(); ++node) {
      ZXMLElement *child = node->element();
      if (child && !child->fInStore) pending.push_back(child);
    }
  };
  collect(this);
  while (!pending.empty()) {
    ZXMLElement *element = pending.back();
    pending.pop_back();
    collect(element);
    element->fChildren = nullptr;
    element->fChildCount = element->fChildCapacity = 0;
    delete element;
  }
}

ZXMLStore &ZXMLElement::store() {
  if (!fStore) fStore = std::make_unique<ZXMLStore>();
  return *fStore;
}

void ZXMLElement::appendNode(ZXMLNode node) {
  if (fChildCount == fChildCapacity) {
    // Grow geometrically in this element's own store (the old list, wherever it
    // lives, is simply left behind there).
    if (fChildCapacity > UINT32_MAX / 2) throw std::bad_alloc();
    const std::uint32_t capacity = std::max<std::uint32_t>(4, fChildCapacity * 2);
    ZXMLNode *children = store().allocateArray<ZXMLNode>(capacity);
    if (fChildCount) std::memcpy(children, fChildren, fChildCount * sizeof(ZXMLNode));
    fChildren = children;
    fChildCapacity = capacity;
  }
  fChildren[fChildCount++] = node;
}

ZXMLElement *ZXMLElement::appendChild(std::unique_ptr<ZXMLElement> child) {
  if (!child) return nullptr;
  appendNode(ZXMLNode(child.get()));  // may throw: the child is still owned by the unique_ptr
  ZXMLElement *element = child.release();
  element->fParent = this;
  fHasOwnedChildren = true;
  return element;
}

void ZXMLElement::appendText(QString text) {
  appendNode(ZXMLNode(store().addString(std::move(text))));
}

QList<ZXMLNode> ZXMLElement::children() const {
  return QList<ZXMLNode>(childrenBegin(), childrenEnd());
}

QList<ZXMLElement *> ZXMLElement::elementChildren() const {
  QList<ZXMLElement *> result;
  for (const ZXMLNode *node = childrenBegin(); node != childrenEnd(); ++node)
    if (ZXMLElement *child = node->element()) result.append(child);
  return result;
}

ZXMLElement *ZXMLElement::firstChildNamed(QAnyStringView name) const {
  for (const ZXMLNode *node = childrenBegin(); node != childrenEnd(); ++node) {
    ZXMLElement *child = node->element();
    if (child && QAnyStringView::equal(child->fQualifiedName, name)) return child;
  }
  return nullptr;
}

QList<ZXMLElement *> ZXMLElement::elementsForName(QAnyStringView name) const {
  QList<ZXMLElement *> result;
  for (const ZXMLNode *node = childrenBegin(); node != childrenEnd(); ++node) {
    ZXMLElement *child = node->element();
    if (child && QAnyStringView::equal(child->fQualifiedName, name)) result.append(child);
  }
  return result;
}

const ZXMLElement::Attribute *ZXMLElement::findAttribute(QAnyStringView name) const {
  for (std::uint32_t i = 0; i < fAttributeCount; ++i)
    if (QAnyStringView::equal(*fAttributes[i].name, name)) return &fAttributes[i];
  return nullptr;
}

bool ZXMLElement::hasAttributeWithQualifiedName(QAnyStringView name) const {
  return findAttribute(name) != nullptr;
}

QString ZXMLElement::valueForAttributeWithQualifiedName(QAnyStringView name) const {
  const Attribute *attribute = findAttribute(name);
  if (!attribute) return QString();
  // A present attribute never answers "null", even when its value was made null.
  return attribute->value->isNull() ? QStringLiteral("") : *attribute->value;
}

std::optional<ZXMLElement::AttributeMap> ZXMLElement::attributes() const {
  if (!fHasAttributeMap) return std::nullopt;
  AttributeMap map;
  map.reserve(qsizetype(fAttributeCount));
  for (std::uint32_t i = 0; i < fAttributeCount; ++i)
    map.insert(*fAttributes[i].name, *fAttributes[i].value);
  return map;
}

QString ZXMLElement::stringValue() const {
  // The common leaf case (one text run) shares the run instead of copying it.
  if (fChildCount == 1 && fChildren[0].isText()) {
    const QString &text = fChildren[0].text();
    return text.isNull() ? QStringLiteral("") : text;
  }
  QString result = QStringLiteral("");
  // Depth-first walk with an explicit stack of (next node, end of its list).
  std::vector<std::pair<const ZXMLNode *, const ZXMLNode *>> stack;
  stack.emplace_back(childrenBegin(), childrenEnd());
  while (!stack.empty()) {
    auto &[next, end] = stack.back();
    if (next == end) {
      stack.pop_back();
      continue;
    }
    const ZXMLNode &node = *next++;
    if (const ZXMLElement *child = node.element())
      stack.emplace_back(child->childrenBegin(), child->childrenEnd());  // `next` is not used again
    else
      result += node.text();
  }
  return result;
}

QString ZXMLElement::description() const {
  return QStringLiteral("Element with QName: ") + fQualifiedName;
}
