// Tests of the XML element tree and its expat-driven parser.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

#include "ZXMLElement.h"
#include "ZXMLParser.h"

namespace {

QString texts(const ZXMLElement *element) {
  // The text runs of an element's direct children, joined with '|'.
  QStringList runs;
  for (const ZXMLNode &node : element->children())
    if (node.isText()) runs << node.text();
  return runs.join(u'|');
}

}  // namespace

// ---------------------------------------------------------------------------
// The rules the reading code relies on

TEST(XmlParser, MixedTextAndElementChildren) {
  ZXMLParser parser(QStringLiteral("<a>x<b>y</b>z</a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(parser.rootElement(), a);
  EXPECT_EQ(a->qualifiedName(), "a");
  EXPECT_EQ(a->parent(), nullptr);

  const QList<ZXMLNode> children = a->children();
  ASSERT_EQ(children.size(), 3);
  ASSERT_TRUE(children[0].isText());
  EXPECT_EQ(children[0].text(), "x");
  ASSERT_TRUE(children[1].isElement());
  EXPECT_EQ(children[1].element()->qualifiedName(), "b");
  EXPECT_EQ(children[1].element()->parent(), a);
  ASSERT_TRUE(children[2].isText());
  EXPECT_EQ(children[2].text(), "z");

  const QList<ZXMLElement *> elements = a->elementChildren();
  ASSERT_EQ(elements.size(), 1);
  EXPECT_EQ(elements[0], children[1].element());
  EXPECT_EQ(elements[0]->stringValue(), "y");
  EXPECT_EQ(a->stringValue(), "xyz");
}

TEST(XmlParser, IndentedDocumentKeepsWhitespaceRuns) {
  const QString xml = QStringLiteral(
      "<?xml version=\"1.0\"?>\n"
      "<root>\n"
      "  <title>Hello</title>\n"
      "  <item>\n"
      "    <name> padded  </name>\n"
      "  </item>\n"
      "</root>\n");
  ZXMLParser parser(xml);
  ZXMLElement *root = parser.parse();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->stringValue(), "\n  Hello\n  \n     padded  \n  \n");
  EXPECT_EQ(root->firstChildNamed("title")->stringValue(), "Hello");
  ZXMLElement *item = root->firstChildNamed("item");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->stringValue(), "\n     padded  \n  ");
  EXPECT_EQ(item->firstChildNamed("name")->stringValue(), " padded  ");
  // Whitespace between elements is text like any other (no run is empty).
  int textRuns = 0;
  for (const ZXMLNode &node : root->children()) {
    if (!node.isText()) continue;
    ++textRuns;
    EXPECT_FALSE(node.text().isEmpty());
    EXPECT_TRUE(node.text().trimmed().isEmpty());
  }
  EXPECT_GE(textRuns, 3);
  EXPECT_EQ(root->elementChildren().size(), 2);
}

TEST(XmlParser, CdataOnlyElementGivesEmptyString) {
  ZXMLParser parser(QStringLiteral("<a><![CDATA[hidden <text> & more]]></a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->children().isEmpty());
  const QString value = a->stringValue();
  EXPECT_TRUE(value.isEmpty());
  EXPECT_FALSE(value.isNull());
}

TEST(XmlParser, CdataAmongTextIsDropped) {
  ZXMLParser parser(QStringLiteral("<a>x<![CDATA[y<z>]]>w<b><![CDATA[]]></b></a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->stringValue(), "xw");
  EXPECT_EQ(texts(a), "x|w");
}

TEST(XmlParser, AmpersandEntity) {
  ZXMLParser parser(QStringLiteral("<a>&amp;</a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->stringValue(), "&");

  ZXMLParser parser2(QStringLiteral("<a>fish &amp; chips</a>"));
  ZXMLElement *a2 = parser2.parse();
  ASSERT_NE(a2, nullptr);
  EXPECT_EQ(a2->stringValue(), "fish & chips");
  // Expat delivers the entity as a delivery of its own; every delivery is a run
  // of its own, never merged with its neighbours.
  EXPECT_EQ(texts(a2), "fish |&| chips");
}

TEST(XmlElementLookup, SameNamedChildren) {
  ZXMLParser parser(QStringLiteral("<r><c id='1'/><d/>text<c id='2'/></r>"));
  ZXMLElement *r = parser.parse();
  ASSERT_NE(r, nullptr);
  ZXMLElement *first = r->firstChildNamed("c");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->valueForAttributeWithQualifiedName("id"), "1");

  const QList<ZXMLElement *> cs = r->elementsForName("c");
  ASSERT_EQ(cs.size(), 2);
  EXPECT_EQ(cs[0], first);
  EXPECT_EQ(cs[1]->valueForAttributeWithQualifiedName("id"), "2");
  EXPECT_EQ(r->childrenNamed(u"c"), cs);
  EXPECT_EQ(r->childrenNamed(QStringLiteral("c")), cs);

  EXPECT_TRUE(r->elementsForName("x").isEmpty());
  EXPECT_TRUE(r->childrenNamed("text").isEmpty());  // text runs are never matched
  EXPECT_EQ(r->firstChildNamed("x"), nullptr);
}

TEST(XmlElementLookup, GrandchildIsNotFound) {
  ZXMLParser parser(QStringLiteral("<a><b><c>deep</c></b></a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->firstChildNamed("c"), nullptr);
  EXPECT_TRUE(a->elementsForName("c").isEmpty());
  ZXMLElement *b = a->firstChildNamed("b");
  ASSERT_NE(b, nullptr);
  ASSERT_NE(b->firstChildNamed("c"), nullptr);
  EXPECT_EQ(b->firstChildNamed("c")->parent(), b);
}

TEST(XmlElementLookup, NamesAreExactWithPrefixAndCase) {
  ZXMLParser parser(
      QStringLiteral("<rss xmlns:zaro=\"http://zaro.tv/rss\" version=\"2.0\">"
                     "<zaro:permalinkId>p1</zaro:permalinkId><permalink>p2</permalink></rss>"));
  ZXMLElement *rss = parser.parse();
  ASSERT_NE(rss, nullptr);
  // No namespace processing: the declaration is an attribute like any other.
  EXPECT_TRUE(rss->hasAttributeWithQualifiedName("xmlns:zaro"));
  EXPECT_EQ(rss->valueForAttributeWithQualifiedName("xmlns:zaro"), "http://zaro.tv/rss");
  EXPECT_FALSE(rss->hasAttributeWithQualifiedName("zaro"));
  EXPECT_FALSE(rss->hasAttributeWithQualifiedName("XMLNS:zaro"));
  EXPECT_FALSE(rss->hasAttributeWithQualifiedName("Version"));

  EXPECT_EQ(rss->firstChildNamed("permalinkId"), nullptr);
  EXPECT_EQ(rss->firstChildNamed("zaro:PermalinkId"), nullptr);
  EXPECT_EQ(rss->firstChildNamed("Zaro:permalinkId"), nullptr);
  EXPECT_EQ(rss->firstChildNamed("zaro:permalinkId "), nullptr);
  EXPECT_EQ(rss->firstChildNamed("zaro:permalink"), nullptr);
  ZXMLElement *id = rss->firstChildNamed("zaro:permalinkId");
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(id->qualifiedName(), "zaro:permalinkId");
  EXPECT_EQ(id->stringValue(), "p1");
  EXPECT_EQ(id->description(), "Element with QName: zaro:permalinkId");
  EXPECT_EQ(rss->firstChildNamed("permalink")->stringValue(), "p2");
}

TEST(XmlParser, PrefixWithoutDeclarationIsKeptAsWritten) {
  // Without namespace processing an undeclared prefix is just part of the name.
  ZXMLParser parser(QStringLiteral("<itunes:author x:y='1'>me</itunes:author>"));
  ZXMLElement *root = parser.parse();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->qualifiedName(), "itunes:author");
  EXPECT_EQ(root->valueForAttributeWithQualifiedName("x:y"), "1");
}

TEST(XmlParser, UnclosedTagGivesNull) {
  ZXMLParser parser(QStringLiteral("<a><b>text</b>"));
  EXPECT_EQ(parser.parse(), nullptr);
  EXPECT_EQ(parser.rootElement(), nullptr);
  EXPECT_FALSE(parser.errorString().isEmpty());
}

TEST(XmlParser, SecondRootGivesNull) {
  ZXMLParser parser(QStringLiteral("<a>one</a><b>two</b>"));
  EXPECT_EQ(parser.parse(), nullptr);
  EXPECT_EQ(parser.rootElement(), nullptr);
}

TEST(XmlParser, DoubleParseBuildsANewTree) {
  ZXMLParser parser(QStringLiteral("<a><b>y</b></a>"));
  ZXMLElement *first = parser.parse();
  ASSERT_NE(first, nullptr);
  // Mark the first tree; a fresh parse must not show the mark.
  first->appendText(QStringLiteral("marker"));
  EXPECT_EQ(first->stringValue(), "ymarker");

  ZXMLElement *second = parser.parse();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(parser.rootElement(), second);
  EXPECT_EQ(second->stringValue(), "y");
  EXPECT_EQ(second->children().size(), 1);
  // (The first tree has been freed: under the ASan build any use of `first`
  // from here on would be reported.)
}

TEST(XmlParser, ParseAfterFailureStaysNull) {
  ZXMLParser parser(QStringLiteral("<a>"));
  EXPECT_EQ(parser.parse(), nullptr);
  EXPECT_EQ(parser.parse(), nullptr);
}

// ---------------------------------------------------------------------------
// Malformed documents

class MalformedXml : public ::testing::TestWithParam<const char *> {};

TEST_P(MalformedXml, GivesNull) {
  const QByteArray bytes(GetParam());
  ZXMLParser fromBytes(bytes);
  EXPECT_EQ(fromBytes.parse(), nullptr) << GetParam();
  EXPECT_EQ(fromBytes.rootElement(), nullptr);
  EXPECT_FALSE(fromBytes.errorString().isEmpty());
  ZXMLParser fromString(QString::fromUtf8(bytes));
  EXPECT_EQ(fromString.parse(), nullptr) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Kinds, MalformedXml,
                         ::testing::Values("",                       // empty document
                                           "   \n  ",                // whitespace only
                                           "just text",              // no element
                                           "<?xml version='1.0'?>",  // declaration only
                                           "<a>",                    // unclosed root
                                           "<a><b></a>",             // unclosed child
                                           "<a></b>",                // mismatched end tag
                                           "<a><b></a></b>",         // improper nesting
                                           "<a/><b/>",               // two roots
                                           "<a/>trailing text",      // text after the root
                                           "<a x='1' x='2'/>",       // duplicate attribute
                                           "<a x=1/>",               // unquoted attribute
                                           "<a x='<'/>",             // '<' in attribute value
                                           "<a>&undefined;</a>",     // undefined entity
                                           "<a>&amp</a>",            // unterminated reference
                                           "<a>&#0;</a>",      // reference to a forbidden char
                                           "<a>&#xD800;</a>",  // reference to a surrogate
                                           "<a><</a>",         // stray '<'
                                           "<a>]]></a>",       // ']]>' in content
                                           "<a>\x01</a>",      // control character
                                           "<1a/>",            // bad name
                                           "<a><!-- unclosed comment</a>",  // unclosed comment
                                           "<a><![CDATA[unclosed</a>",      // unclosed CDATA
                                           "<a b='1'c='2'/>",  // no space between attributes
                                           "</a>",             // end tag only
                                           "<a></a></a>"));    // extra end tag

TEST(XmlParser, BytesThatAreNotUtf8GiveNull) {
  // Only the bytes constructor can carry them: decoding into a QString would
  // already have replaced them with U+FFFD.
  for (const char *xml :
       {"<a>\xff\xfe</a>", "<a>\xc3</a>", "<a>\xed\xa0\x80</a>", "<a x='\xc0\xaf'/>"}) {
    ZXMLParser parser{QByteArray(xml)};
    EXPECT_EQ(parser.parse(), nullptr) << xml;
  }
  // ... and the replacement characters of a decoded string are fine.
  ZXMLParser decoded(QString::fromUtf8("<a>\xff</a>"));
  ZXMLElement *a = decoded.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->stringValue(), QString(QChar(QChar::ReplacementCharacter)));
}

TEST(XmlParser, EmbeddedNulCharacterGivesNull) {
  QString xml = QStringLiteral("<a>x");
  xml += QChar(0);
  xml += QStringLiteral("</a>");
  ZXMLParser parser(xml);
  EXPECT_EQ(parser.parse(), nullptr);
}

TEST(XmlParser, AbortReleasesAPartialTree) {
  // A large partial tree before the error: under ASan (leak detection on in
  // the sanitizer build when run by hand) it must not leak; here it must not
  // crash and must leave no root behind.
  QByteArray xml("<root>");
  for (int i = 0; i < 2000; ++i) xml += "<item n='" + QByteArray::number(i) + "'>text</item>";
  xml += "<broken></root>";
  ZXMLParser parser(xml);
  EXPECT_EQ(parser.parse(), nullptr);
  EXPECT_EQ(parser.rootElement(), nullptr);
}

// ---------------------------------------------------------------------------
// Entities, references and encodings

TEST(XmlEntities, PredefinedEntities) {
  ZXMLParser parser(QStringLiteral("<a>&lt;b&gt; &amp; &apos;q&apos; &quot;d&quot;</a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->stringValue(), "<b> & 'q' \"d\"");
}

TEST(XmlEntities, NumericCharacterReferences) {
  ZXMLParser parser(QStringLiteral("<a>&#65;&#x42;&#233;&#xE9;&#x1F600;&#8364;</a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->stringValue(), QString::fromUtf8("AB\xc3\xa9\xc3\xa9\xf0\x9f\x98\x80\xe2\x82\xac"));
}

TEST(XmlEntities, ReferencesInAttributes) {
  ZXMLParser parser(QStringLiteral("<a v='&lt;x&amp;y&#x41;&quot;' nl='1&#10;2' ws='1\n2'/>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->valueForAttributeWithQualifiedName("v"), "<x&yA\"");
  EXPECT_EQ(a->valueForAttributeWithQualifiedName("nl"), "1\n2");
  // A literal line break in an attribute value is normalised to a space (XML 1.0).
  EXPECT_EQ(a->valueForAttributeWithQualifiedName("ws"), "1 2");
}

TEST(XmlEntities, NonAsciiTextFromStringAndBytes) {
  const QString text = QString::fromUtf8(
      "Gr\xc3\xbc\xc3\x9f"
      "e \xe6\x97\xa5\xe6\x9c\xac "
      "\xe2\x9c\x93 \xf0\x9f\x98\x80");
  const QString xml = QStringLiteral("<a t='") + text + QStringLiteral("'><") + text.left(5) +
                      QStringLiteral(">") + text + QStringLiteral("</") + text.left(5) +
                      QStringLiteral("></a>");
  for (int variant = 0; variant < 2; ++variant) {
    ZXMLParser parser = variant == 0 ? ZXMLParser(xml) : ZXMLParser(xml.toUtf8());
    ZXMLElement *a = parser.parse();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->valueForAttributeWithQualifiedName("t"), text);
    ZXMLElement *child = a->firstChildNamed(text.left(5));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->qualifiedName(), text.left(5));
    EXPECT_EQ(child->stringValue(), text);
    EXPECT_EQ(a->stringValue(), text);
  }
}

TEST(XmlEntities, EncodingDeclarationDoesNotOverrideUtf8) {
  // The text handed over is UTF-8 whatever the declaration says.
  const QString text = QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac");
  for (const char *encoding : {"ISO-8859-1", "windows-1252", "UTF-8", "US-ASCII"}) {
    ZXMLParser parser(QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?><a>%2</a>")
                          .arg(QLatin1String(encoding), text));
    ZXMLElement *a = parser.parse();
    ASSERT_NE(a, nullptr) << encoding;
    EXPECT_EQ(a->stringValue(), text) << encoding;
  }
}

// Bytes as received are read in the encoding the document declares (UTF-8
// without a declaration); character references work in every one of them.
TEST(XmlEntities, BytesAreReadInTheirDeclaredEncoding) {
  const QString title = QString::fromUtf8("\xc3\x89t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");
  const QString latin = QString::fromUtf8("caf\xc3\xa9 \xc3\x89t\xc3\xa9 \xc2\xbd");
  struct Case {
    const char *name;
    QByteArray document;
    QString text;  // of the root; null: the document does not parse
  } cases[] = {
      {"UTF-8, no declaration", "<a t='x'>" + title.toUtf8() + "</a>", title},
      {"UTF-8 declared", "<?xml version='1.0' encoding='UTF-8'?><a>" + title.toUtf8() + "</a>",
       title},
      {"UTF-8 declared in lower case", "<?xml version='1.0' encoding='utf-8'?><a>" + title.toUtf8() + "</a>",
       title},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF<a>" + title.toUtf8() + "</a>", title},
      {"ISO-8859-1 declared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9 \xC9t\xE9 \xBD</a>",
       latin},
      {"ISO-8859-1 declared with references",
       "<?xml version='1.0' encoding='iso-8859-1'?><a>\xC9t&#233; &#26085;&#26412;&#x8A9E;</a>", title},
      {"US-ASCII declared with references",
       "<?xml version='1.0' encoding='US-ASCII'?><a>&#201;t&#xE9; &#26085;&#26412;&#35486;</a>", title},
      {"US-ASCII declared, a byte above 127", "<?xml version='1.0' encoding='US-ASCII'?><a>\xE9</a>",
       QString()},
      {"UTF-8 by default, Latin-1 bytes", "<a>caf\xE9</a>", QString()},
      {"an encoding expat does not know",
       "<?xml version='1.0' encoding='x-unknown-8bit'?><a>x</a>", QString()},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ZXMLParser parser(c.document);
    const ZXMLElement *a = parser.parse();
    if (c.text.isNull()) {
      EXPECT_EQ(a, nullptr);
      continue;
    }
    ASSERT_NE(a, nullptr) << parser.errorString().toStdString();
    EXPECT_EQ(a->stringValue(), c.text);
  }
  // Attribute values and names are decoded the same way.
  ZXMLParser attributes(QByteArray("<?xml version='1.0' encoding='ISO-8859-1'?><\xE9l v='\xE9'/>"));
  const ZXMLElement *root = attributes.parse();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->qualifiedName(), QString::fromUtf8("\xc3\xa9l"));
  EXPECT_EQ(root->valueForAttributeWithQualifiedName("v"), QString::fromUtf8("\xc3\xa9"));
}

TEST(XmlEntities, ByteOrderMarkIsAccepted) {
  ZXMLParser parser(QString(QChar(0xFEFF)) + QStringLiteral("<a>x</a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->stringValue(), "x");
}

TEST(XmlEntities, ByteOrderMarkCharacterInsideTheDocumentIsKept) {
  // (Found by fuzzing: QString::fromUtf8 drops a U+FEFF that begins its input.)
  const QString feff(QChar(0xFEFF));
  ZXMLParser reference(QStringLiteral("<a v='&#xFEFF;'>&#xFEFF;x</a>"));
  ZXMLElement *a = reference.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->stringValue(), feff + "x");
  EXPECT_EQ(a->valueForAttributeWithQualifiedName("v"), feff);

  ZXMLParser literal(QByteArray("<a v='\xEF\xBB\xBF\xEF\xBB\xBF'>\n\xEF\xBB\xBF\xEF\xBB\xBFy</a>"));
  ZXMLElement *b = literal.parse();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->stringValue(), "\n" + feff + feff + "y");
  EXPECT_EQ(b->valueForAttributeWithQualifiedName("v"), feff + feff);
}

TEST(XmlEntities, InternalEntityIsExpanded) {
  ZXMLParser parser(QStringLiteral("<!DOCTYPE a [<!ENTITY e 'hello &amp; bye'>]><a>[&e;]</a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->stringValue(), "[hello & bye]");
}

TEST(XmlEntities, ExternalEntityIsNotResolved) {
  ZXMLParser parser(
      QStringLiteral("<!DOCTYPE a [<!ENTITY ext SYSTEM 'file:///etc/passwd'>]><a>[&ext;]</a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->stringValue(), "[]");
}

TEST(XmlEntities, ExternalDtdIsNotLoaded) {
  ZXMLParser parser(
      QStringLiteral("<!DOCTYPE a SYSTEM 'file:///nonexistent/x.dtd'><a x='1'>ok</a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->stringValue(), "ok");
}

TEST(XmlEntities, BillionLaughsIsRefused) {
  QByteArray xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol0 \"lol\">\n";
  for (int i = 1; i < 10; ++i)
    xml += "<!ENTITY lol" + QByteArray::number(i) + " \"" +
           QByteArray("&lol" + QByteArray::number(i - 1) + ";").repeated(10) + "\">\n";
  xml += "]>\n<lolz>&lol9;</lolz>";
  ZXMLParser parser(xml);
  EXPECT_EQ(parser.parse(), nullptr);
}

TEST(XmlParser, CommentsAndProcessingInstructionsAreNotNodes) {
  ZXMLParser parser(QStringLiteral("<!-- before --><a>x<!--c-->y<?pi data?>z</a><!-- after -->"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(texts(a), "x|y|z");
  EXPECT_EQ(a->stringValue(), "xyz");
}

TEST(XmlParser, WhitespaceOutsideTheRootIsDropped) {
  ZXMLParser parser(QStringLiteral("\n\n  <a>x</a>\n\t \n"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->children().size(), 1);
  EXPECT_EQ(a->stringValue(), "x");
}

// ---------------------------------------------------------------------------
// Attributes

TEST(XmlAttributes, ParsedElementsHaveAMap) {
  ZXMLParser parser(QStringLiteral("<a empty='' url=\"http://x/?a=1&amp;b=2\"><b/></a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->hasAttributeMap());
  EXPECT_TRUE(a->hasAttributeWithQualifiedName("empty"));
  const QString empty = a->valueForAttributeWithQualifiedName("empty");
  EXPECT_TRUE(empty.isEmpty());
  EXPECT_FALSE(empty.isNull());
  EXPECT_EQ(a->valueForAttributeWithQualifiedName("url"), "http://x/?a=1&b=2");
  EXPECT_TRUE(a->valueForAttributeWithQualifiedName("missing").isNull());
  EXPECT_FALSE(a->hasAttributeWithQualifiedName("missing"));

  const auto map = a->attributes();
  ASSERT_TRUE(map.has_value());
  EXPECT_EQ(map->size(), 2);
  EXPECT_EQ(map->value("url"), "http://x/?a=1&b=2");

  ZXMLElement *b = a->firstChildNamed("b");
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->hasAttributeMap());  // empty, but present
  ASSERT_TRUE(b->attributes().has_value());
  EXPECT_TRUE(b->attributes()->isEmpty());
  EXPECT_TRUE(b->valueForAttributeWithQualifiedName("x").isNull());
}

TEST(XmlAttributes, NullMapAnswersAbsent) {
  ZXMLElement element(QStringLiteral("e"));
  EXPECT_FALSE(element.hasAttributeMap());
  EXPECT_FALSE(element.attributes().has_value());
  EXPECT_FALSE(element.hasAttributeWithQualifiedName("x"));
  EXPECT_TRUE(element.valueForAttributeWithQualifiedName("x").isNull());

  ZXMLElement withEmptyMap(QStringLiteral("e"), ZXMLElement::AttributeMap());
  EXPECT_TRUE(withEmptyMap.hasAttributeMap());
  ASSERT_TRUE(withEmptyMap.attributes().has_value());
  EXPECT_TRUE(withEmptyMap.attributes()->isEmpty());

  ZXMLElement withMap(QStringLiteral("e"),
                      ZXMLElement::AttributeMap{{QStringLiteral("text"), QStringLiteral("News")},
                                                {QStringLiteral("a:b"), QString()}});
  EXPECT_EQ(withMap.valueForAttributeWithQualifiedName("text"), "News");
  EXPECT_TRUE(withMap.hasAttributeWithQualifiedName("a:b"));
  EXPECT_FALSE(withMap.valueForAttributeWithQualifiedName("a:b").isNull());
  EXPECT_FALSE(withMap.hasAttributeWithQualifiedName("Text"));
}

// ---------------------------------------------------------------------------
// Building trees by hand

TEST(XmlElement, AppendChildAndText) {
  ZXMLElement root(QStringLiteral("root"));
  root.appendText(QStringLiteral("a"));
  ZXMLElement *child = root.appendChild(std::make_unique<ZXMLElement>(QStringLiteral("c")));
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->parent(), &root);
  child->appendText(QStringLiteral("b"));
  child->appendText(QStringLiteral("b"));  // runs are kept apart
  root.appendText(QStringLiteral("c"));
  EXPECT_EQ(root.appendChild(nullptr), nullptr);

  EXPECT_EQ(root.children().size(), 3);
  EXPECT_EQ(child->children().size(), 2);
  EXPECT_EQ(root.stringValue(), "abbc");
  EXPECT_EQ(root.elementChildren(), QList<ZXMLElement *>{child});
  EXPECT_EQ(root.firstChildNamed(u"c"), child);
  EXPECT_EQ(root.description(), "Element with QName: root");

  child->setParent(nullptr);
  EXPECT_EQ(child->parent(), nullptr);
}

TEST(XmlElement, StringValueIsNeverNull) {
  ZXMLElement empty(QStringLiteral("e"));
  EXPECT_FALSE(empty.stringValue().isNull());
  EXPECT_TRUE(empty.stringValue().isEmpty());

  ZXMLElement nullRun(QStringLiteral("e"));
  nullRun.appendText(QString());
  EXPECT_FALSE(nullRun.stringValue().isNull());

  ZXMLElement nested(QStringLiteral("e"));
  nested.appendChild(std::make_unique<ZXMLElement>(QStringLiteral("f")));
  EXPECT_FALSE(nested.stringValue().isNull());

  ZXMLParser parser(QStringLiteral("<a><b/><c></c></a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  EXPECT_FALSE(a->stringValue().isNull());
  EXPECT_FALSE(a->firstChildNamed("b")->stringValue().isNull());
}

TEST(XmlElement, ChildrenIsASnapshot) {
  ZXMLElement root(QStringLiteral("root"));
  root.appendText(QStringLiteral("a"));
  const QList<ZXMLNode> before = root.children();
  root.appendText(QStringLiteral("b"));
  EXPECT_EQ(before.size(), 1);
  EXPECT_EQ(root.children().size(), 2);
}

TEST(XmlElement, ManyAppendsKeepTheirOrder) {
  ZXMLElement root(QStringLiteral("root"));
  for (int i = 0; i < 10000; ++i) {
    if (i % 3 == 0)
      root.appendChild(std::make_unique<ZXMLElement>(QString::number(i)));
    else
      root.appendText(QString::number(i));
  }
  const QList<ZXMLNode> children = root.children();
  ASSERT_EQ(children.size(), 10000);
  for (int i = 0; i < 10000; ++i) {
    if (i % 3 == 0) {
      ASSERT_TRUE(children[i].isElement());
      EXPECT_EQ(children[i].element()->qualifiedName(), QString::number(i));
    } else {
      ASSERT_TRUE(children[i].isText());
      EXPECT_EQ(children[i].text(), QString::number(i));
    }
  }
  EXPECT_EQ(root.elementChildren().size(), 3334);
  EXPECT_EQ(root.firstChildNamed("9999"), children[9999].element());
}

TEST(XmlElement, EditingAParsedTree) {
  ZXMLParser parser(QStringLiteral("<a><b k='v'>x</b><c/></a>"));
  ZXMLElement *a = parser.parse();
  ASSERT_NE(a, nullptr);
  ZXMLElement *b = a->firstChildNamed("b");
  ASSERT_NE(b, nullptr);
  b->appendText(QStringLiteral("y"));
  auto made = std::make_unique<ZXMLElement>(
      QStringLiteral("made"),
      ZXMLElement::AttributeMap{{QStringLiteral("n"), QStringLiteral("1")}});
  made->appendText(QStringLiteral("z"));
  made->appendChild(std::make_unique<ZXMLElement>(QStringLiteral("inner")))
      ->appendText(QStringLiteral("!"));
  ZXMLElement *madePtr = b->appendChild(std::move(made));
  a->appendText(QStringLiteral("w"));

  EXPECT_EQ(madePtr->parent(), b);
  EXPECT_EQ(b->children().size(), 3);
  EXPECT_EQ(b->valueForAttributeWithQualifiedName("k"), "v");
  EXPECT_EQ(madePtr->valueForAttributeWithQualifiedName("n"), "1");
  EXPECT_EQ(a->stringValue(), "xyz!w");
  EXPECT_EQ(a->elementChildren().size(), 2);
  EXPECT_EQ(a->children().size(), 3);

  // Parsing again frees the edited tree, hand-made parts included (checked by
  // the sanitizer build), and builds the original afresh.
  ZXMLElement *again = parser.parse();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->stringValue(), "x");
}

TEST(XmlElement, DeepHandBuiltChainUnderAParsedTree) {
  ZXMLParser parser(QStringLiteral("<r><s/></r>"));
  ZXMLElement *r = parser.parse();
  ASSERT_NE(r, nullptr);
  ZXMLElement *current = r->firstChildNamed("s");
  for (int i = 0; i < 200000; ++i)
    current = current->appendChild(std::make_unique<ZXMLElement>(QStringLiteral("d")));
  current->appendText(QStringLiteral("end"));
  EXPECT_EQ(r->stringValue(), "end");
  // The parser's end frees the parsed tree and the chain without recursing.
}

// ---------------------------------------------------------------------------
// Deep nesting and size

TEST(XmlDeep, HundredThousandLevelsParseWalkAndFree) {
  constexpr int kDepth = 100000;
  QByteArray xml;
  xml.reserve(kDepth * 8 + 16);
  for (int i = 0; i < kDepth; ++i) xml += "<d>t";
  for (int i = 0; i < kDepth; ++i) xml += "</d>";
  {
    ZXMLParser parser(xml);
    ZXMLElement *root = parser.parse();
    ASSERT_NE(root, nullptr);
    int depth = 1;
    ZXMLElement *deepest = root;
    while (ZXMLElement *next = deepest->firstChildNamed("d")) {
      EXPECT_EQ(next->parent(), deepest);
      deepest = next;
      ++depth;
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(root->stringValue(), QString(kDepth, u't'));
    // A second parse frees the first deep tree, the parser's end the second.
    ASSERT_NE(parser.parse(), nullptr);
  }
  SUCCEED();
}

TEST(XmlDeep, DeepHandBuiltTreeIsFreedIteratively) {
  auto root = std::make_unique<ZXMLElement>(QStringLiteral("r"));
  ZXMLElement *current = root.get();
  for (int i = 0; i < 300000; ++i) {
    current->appendText(QStringLiteral("x"));
    current = current->appendChild(std::make_unique<ZXMLElement>(QStringLiteral("r")));
  }
  EXPECT_EQ(root->stringValue().size(), 300000);
  root.reset();
  SUCCEED();
}

TEST(XmlLarge, SeveralMegabyteFeed) {
  constexpr int kItems = 20000;
  QByteArray xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<rss version=\"2.0\" xmlns:zaro=\"http://zaro.tv/rss/1.0\" "
      "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">\n<channel>\n"
      "  <title>Big feed</title>\n";
  for (int i = 0; i < kItems; ++i) {
    const QByteArray n = QByteArray::number(i);
    xml +=
        "  <item>\n"
        "    <title>Episode " +
        n +
        ": fish &amp; chips \xc3\xa9t\xc3\xa9</title>\n"
        "    <link>http://zaro.tv/video/" +
        n +
        "</link>\n"
        "    <description>A rather long description of episode " +
        n +
        " with &lt;markup&gt; and &#233; references, repeated to make the item bigger. "
        "Lorem ipsum dolor sit amet, consectetur adipiscing elit.</description>\n"
        "    <enclosure url=\"http://cache.zaro.tv/v/" +
        n +
        ".mp4\" length=\"1234567\" "
        "type=\"video/mp4\"/>\n"
        "    <itunes:duration>12:34</itunes:duration>\n"
        "    <zaro:permalinkId>perma" +
        n +
        "</zaro:permalinkId>\n"
        "  </item>\n";
  }
  xml += "</channel>\n</rss>\n";
  ASSERT_GT(xml.size(), 5 * 1024 * 1024);

  ZXMLParser parser(xml);
  ZXMLElement *rss = parser.parse();
  ASSERT_NE(rss, nullptr);
  ZXMLElement *channel = rss->firstChildNamed("channel");
  ASSERT_NE(channel, nullptr);
  const QList<ZXMLElement *> items = channel->elementsForName("item");
  ASSERT_EQ(items.size(), kItems);
  ZXMLElement *item = items[12345];
  EXPECT_EQ(item->firstChildNamed("title")->stringValue(),
            QString::fromUtf8("Episode 12345: fish & chips \xc3\xa9t\xc3\xa9"));
  EXPECT_EQ(item->firstChildNamed("enclosure")->valueForAttributeWithQualifiedName("url"),
            "http://cache.zaro.tv/v/12345.mp4");
  EXPECT_EQ(item->firstChildNamed("zaro:permalinkId")->stringValue(), "perma12345");
  EXPECT_TRUE(item->firstChildNamed("description")
                  ->stringValue()
                  .contains(QString::fromUtf8("<markup> and \xc3\xa9 references")));
  EXPECT_EQ(items.last()->firstChildNamed("link")->stringValue(),
            QStringLiteral("http://zaro.tv/video/%1").arg(kItems - 1));
}
