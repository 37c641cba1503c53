// libFuzzer target for the XML reader: ZXMLParser on arbitrary
// bytes, then every lookup of ZXMLElement over the tree it builds, with checks
// of the tree's invariants. Any crash, sanitizer report or failed check
// (abort) is a finding.
//
//   fuzz_xml fuzz/corpus/xml -dict=fuzz/xml.dict -max_total_time=300
#include <expat.h>

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "ZXMLElement.h"
#include "ZXMLParser.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// Whether expat alone, set up as ZXMLParser sets it up for bytes as received
// (the encoding the document declares), accepts them.
bool expatAccepts(const QByteArray &bytes) {
  XML_Parser parser = XML_ParserCreate(nullptr);
  const bool ok =
      XML_Parse(parser, bytes.constData(), int(bytes.size()), XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

// The lookups of one element, checked against its list of children.
void inspect(ZXMLElement *element, const QList<ZXMLNode> &children) {
  check(children.size() == element->childCount());
  check(!element->qualifiedName().isEmpty());
  check(element->description() ==
        QStringLiteral("Element with QName: ") + element->qualifiedName());
  check(element->hasAttributeMap());
  const auto attributes = element->attributes();
  check(attributes.has_value());
  for (auto it = attributes->cbegin(); it != attributes->cend(); ++it) {
    check(element->hasAttributeWithQualifiedName(it.key()));
    check(element->valueForAttributeWithQualifiedName(it.key()) == it.value());
    check(!element->valueForAttributeWithQualifiedName(it.key()).isNull());
  }
  check(!element->hasAttributeWithQualifiedName(u"\u0001no such name"));
  check(element->valueForAttributeWithQualifiedName(u"\u0001no such name").isNull());
  const QList<ZXMLElement *> elements = element->elementChildren();
  qsizetype elementCount = 0;
  for (const ZXMLNode &node : children) {
    if (!node.isElement()) {
      check(!node.text().isEmpty());  // expat never delivers an empty run
      continue;
    }
    check(elementCount < elements.size() && node.element() == elements.at(elementCount++));
    check(node.element()->parent() == element);
  }
  check(elementCount == elements.size());
  if (!elements.isEmpty()) {
    const QString &name = elements.last()->qualifiedName();
    const QList<ZXMLElement *> named = element->elementsForName(name);
    check(!named.isEmpty() && named.last() == elements.last());
    check(element->firstChildNamed(name) == named.first());
    check(element->childrenNamed(name) == named);
    for (ZXMLElement *child : named) check(child->qualifiedName() == name);
  }
}

// Walks the whole tree iteratively and returns all its text in document order,
// gathered independently of stringValue().
QString walk(ZXMLElement *root) {
  struct Visit {
    ZXMLElement *element;
    QList<ZXMLNode> children;
    qsizetype next;
  };
  QString text;
  std::vector<Visit> stack;
  check(root->parent() == nullptr);
  stack.push_back({root, root->children(), 0});
  inspect(root, stack.back().children);
  while (!stack.empty()) {
    Visit &visit = stack.back();
    if (visit.next == visit.children.size()) {
      stack.pop_back();
      continue;
    }
    const ZXMLNode node = visit.children.at(visit.next++);
    if (ZXMLElement *child = node.element()) {
      stack.push_back({child, child->children(), 0});  // `visit` is not used again
      inspect(child, stack.back().children);
    } else {
      text += node.text();
    }
  }
  return text;
}

void exercise(ZXMLParser &parser, ZXMLElement *root) {
  const QString text = walk(root);
  const QString value = root->stringValue();
  check(!value.isNull());
  check(value == text);

  // Edit the parsed tree by hand: the mixed ownership (hand-made children in a
  // parsed tree) must be freed correctly with it.
  ZXMLElement *deepest = root;
  while (!deepest->elementChildren().isEmpty()) deepest = deepest->elementChildren().last();
  auto extra =
      std::make_unique<ZXMLElement>(QStringLiteral("extra"), ZXMLElement::AttributeMap{{"k", "v"}});
  extra->appendText(QStringLiteral("x"));
  ZXMLElement *added = deepest->appendChild(std::move(extra));
  check(added->parent() == deepest);
  check(deepest->firstChildNamed("extra") != nullptr);
  root->appendText(QStringLiteral("y"));
  check(root->stringValue().size() == value.size() + 2);

  // A second parse of the same parser yields an equal, new tree.
  ZXMLElement *again = parser.parse();
  check(again != nullptr);
  check(again->stringValue() == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  {
    ZXMLParser parser(bytes);
    ZXMLElement *root = parser.parse();
    check((root != nullptr) == expatAccepts(bytes));  // refused exactly when expat refuses
    check(parser.rootElement() == root);
    if (root)
      exercise(parser, root);
    else
      check(parser.parse() == nullptr);
  }
  {
    // The same through the QString constructor (bytes that are not UTF-8 have
    // become replacement characters).
    ZXMLParser parser(QString::fromUtf8(bytes));
    if (ZXMLElement *root = parser.parse()) exercise(parser, root);
  }
  return 0;
}
