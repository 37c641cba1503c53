// ZXMLParser: turns one XML document into a ZXMLElement tree.
//
// A thin delegate of expat (in place of the platform's event parser): no namespace
// processing (names arrive as written, prefix included), no validation, external
// entities never resolved, CDATA content dropped, the parse aborted at the first
// error. Expat's own protections (entity amplification limits against "billion
// laughs") stay at their defaults.
//
// Two kinds of document:
//   - bytes as received (a service answer, a file): expat reads them in the
//     encoding the document names, through its byte-order mark or its XML
//     declaration, UTF-8 when it names none. Expat knows UTF-8, UTF-16,
//     ISO-8859-1 and US-ASCII; a document in any other encoding, or whose
//     bytes do not fit its encoding, does not parse.
//   - text that was decoded already (a QString): it is handed over as UTF-8 and
//     expat is told so, overriding the declaration, which no longer describes
//     the text.
//
// Ownership: the parser owns the tree of its last successful parse; the tree
// stays valid while the parser lives and until it parses again.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

#include "ZXMLElement.h"

class ZXMLParser {
 public:
  // initWithString: keeps the decoded document; no parsing yet. (Kept as
  // UTF-8, the form handed to expat, so that repeated parses convert nothing.)
  explicit ZXMLParser(const QString &xml);
  // The document's bytes as received, read in the encoding it declares.
  explicit ZXMLParser(QByteArray document);
  ~ZXMLParser();

  ZXMLParser(const ZXMLParser &) = delete;
  ZXMLParser &operator=(const ZXMLParser &) = delete;

  // Discards the tree of a previous call, parses the document afresh and returns
  // the new root, or nullptr when the document is not well-formed or expat
  // rejects its bytes (the partly built tree is then released).
  ZXMLElement *parse();

  // The root of the last successful parse, or nullptr.
  ZXMLElement *rootElement() const noexcept { return fRootElement.get(); }

  // Expat's message and position for the last failed parse, for diagnostics
  // only (nothing is logged); empty after a successful parse.
  QString errorString() const { return fErrorString; }
  long errorLine() const noexcept { return fErrorLine; }
  long errorColumn() const noexcept { return fErrorColumn; }
  // The three as one text for a log line: "<message> at line L, column C".
  QString errorDescription() const;

 private:
  QByteArray fXml;                            // fXmlString, the document's bytes
  bool fDecoded = false;                      // fXml is decoded text as UTF-8
  std::unique_ptr<ZXMLElement> fRootElement;  // root of the last successful parse
  QString fErrorString;
  long fErrorLine = 0;
  long fErrorColumn = 0;
};
