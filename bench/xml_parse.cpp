// xml_parse: throughput of ZXMLParser's tree building against expat's bare parse
// of the same bytes, measured in the same run (goal: the tree is
// built at no less than half of bare expat's throughput).
//
// Generates a feed-like document of about 20 MB (items with attributes, text,
// entity and character references, non-ASCII text, prefixed and nested
// elements, indentation), then times, several repetitions each:
//   - expat alone, no handlers (the reference),
//   - expat with trivial counting handlers (for information),
//   - ZXMLParser::parse() building the tree from the UTF-8 bytes,
//   - ZXMLParser from a QString (includes the conversion to UTF-8),
// and prints MB/s (1 MB = 10^6 bytes) of the best repetition and the ratio.
//
// Usage: xml_parse [megabytes=20] [rounds=7]
#include <expat.h>

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "ZXMLElement.h"
#include "ZXMLParser.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Rng {  // xorshift64*, deterministic
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  std::uint32_t next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return std::uint32_t((state * 0x2545F4914F6CDD1Dull) >> 32);
  }
  std::uint32_t below(std::uint32_t n) { return next() % n; }
};

const char *const kWords[] = {"video",
                              "channel",
                              "episode",
                              "news",
                              "music",
                              "the",
                              "and",
                              "of",
                              "zaro",
                              "player",
                              "weekly",
                              "review",
                              "live",
                              "concert",
                              "trail",
                              "mountain",
                              "caf\xc3\xa9",
                              "gr\xc3\xbc\xc3\x9f"
                              "e",
                              "\xe6\x97\xa5\xe6\x9c\xac",
                              "na\xc3\xafve",
                              "&amp;",
                              "&lt;b&gt;",
                              "&#233;",
                              "&#x1F600;",
                              "&quot;quoted&quot;"};
constexpr int kWordCount = int(sizeof(kWords) / sizeof(kWords[0]));

void appendWords(QByteArray &out, Rng &rng, int count) {
  for (int i = 0; i < count; ++i) {
    if (i) out += ' ';
    out += kWords[rng.below(kWordCount)];
  }
}

QByteArray generateFeed(std::int64_t targetBytes, int *itemCount) {
  Rng rng;
  QByteArray xml;
  xml.reserve(targetBytes + 8192);
  xml +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<rss version=\"2.0\" xmlns:zaro=\"http://www.zaro.tv/rss/1.0/\" "
      "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
      "xmlns:media=\"http://search.yahoo.com/mrss/\">\n"
      "  <channel>\n"
      "    <title>Zaro benchmark channel</title>\n"
      "    <link>http://www.zaro.tv/channel/bench</link>\n"
      "    <description>A generated feed for measuring the XML reader.</description>\n"
      "    <itunes:author>Zaro</itunes:author>\n"
      "    <itunes:category text=\"News &amp; Politics\"/>\n"
      "    <zaro:permalinkId>bench-channel</zaro:permalinkId>\n";
  int items = 0;
  while (xml.size() < targetBytes) {
    const QByteArray n = QByteArray::number(items);
    xml += "    <item>\n      <title>Episode " + n + ": ";
    appendWords(xml, rng, 3 + int(rng.below(5)));
    xml += "</title>\n      <link>http://www.zaro.tv/video/" + n + "/episode-" + n +
           "</link>\n      <description>";
    appendWords(xml, rng, 20 + int(rng.below(60)));
    xml += "</description>\n      <enclosure url=\"http://cache.zaro.tv/v/" + n +
           ".mp4?token=" + QByteArray::number(rng.next(), 16) + "&amp;fmt=h264\" length=\"" +
           QByteArray::number(rng.below(400000000)) +
           "\" type=\"video/mp4\"/>\n"
           "      <guid isPermaLink=\"false\">zaro-video-" +
           n +
           "</guid>\n"
           "      <pubDate>Tue, " +
           QByteArray::number(1 + rng.below(28)) +
           " Jun 2008 04:00:00 GMT</pubDate>\n"
           "      <itunes:author>Publisher " +
           QByteArray::number(rng.below(50)) +
           "</itunes:author>\n"
           "      <itunes:duration>" +
           QByteArray::number(rng.below(90)) + ":" + QByteArray::number(10 + rng.below(50)) +
           "</itunes:duration>\n"
           "      <itunes:keywords>";
    appendWords(xml, rng, 2 + int(rng.below(6)));
    xml += "</itunes:keywords>\n      <category>";
    appendWords(xml, rng, 1);
    xml += "</category>\n      <category>";
    appendWords(xml, rng, 2);
    xml += "</category>\n      <zaro:permalinkId>" + QByteArray::number(rng.next(), 36) +
           "</zaro:permalinkId>\n"
           "      <media:group>\n"
           "        <media:content url=\"http://cache.zaro.tv/v/" +
           n + ".mp4\" fileSize=\"" + QByteArray::number(rng.below(400000000)) +
           "\" type=\"video/mp4\" medium=\"video\" width=\"640\" height=\"360\"/>\n"
           "        <media:thumbnail url=\"http://images.zaro.tv/t/" +
           n +
           ".jpg\" width=\"160\" height=\"120\"/>\n"
           "      </media:group>\n"
           "    </item>\n";
    ++items;
  }
  xml += "  </channel>\n</rss>\n";
  *itemCount = items;
  return xml;
}

struct Timing {
  double bestSeconds = 1e30;
  double medianSeconds = 0;
};

Timing summarize(std::vector<double> seconds) {
  std::sort(seconds.begin(), seconds.end());
  return {seconds.front(), seconds[seconds.size() / 2]};
}

bool expatParse(const QByteArray &xml, bool counting, long *events) {
  XML_Parser parser = XML_ParserCreate("UTF-8");
  if (counting) {
    XML_SetUserData(parser, events);
    XML_SetElementHandler(
        parser,
        [](void *counter, const XML_Char *, const XML_Char **) { ++*static_cast<long *>(counter); },
        [](void *counter, const XML_Char *) { ++*static_cast<long *>(counter); });
    XML_SetCharacterDataHandler(
        parser, [](void *counter, const XML_Char *, int) { ++*static_cast<long *>(counter); });
  }
  const bool ok = XML_Parse(parser, xml.constData(), int(xml.size()), XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

struct TreeStats {
  long elements = 0, textRuns = 0, attributes = 0;
};

TreeStats countTree(const ZXMLElement *root) {
  TreeStats stats;
  std::vector<const ZXMLElement *> stack{root};
  while (!stack.empty()) {
    const ZXMLElement *element = stack.back();
    stack.pop_back();
    ++stats.elements;
    stats.attributes += element->attributes().value_or(ZXMLElement::AttributeMap()).size();
    for (const ZXMLNode &node : element->children()) {
      if (node.isElement())
        stack.push_back(node.element());
      else
        ++stats.textRuns;
    }
  }
  return stats;
}

double mbPerSecond(qsizetype bytes, double seconds) { return double(bytes) / 1e6 / seconds; }

}  // namespace

int main(int argc, char **argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 20.0;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;

  int items = 0;
  const QByteArray xml = generateFeed(std::int64_t(megabytes * 1e6), &items);
  const QString xmlString = QString::fromUtf8(xml);
  std::printf("document: %.2f MB, %d items; expat %s; %d rounds (best / median)\n",
              double(xml.size()) / 1e6, items, XML_ExpatVersion(), rounds);

  long events = 0;
  if (!expatParse(xml, true, &events)) {
    std::fprintf(stderr, "generated document is not well-formed\n");
    return 1;
  }
  {
    ZXMLParser parser(xml);
    const ZXMLElement *root = parser.parse();
    if (!root) {
      std::fprintf(stderr, "ZXMLParser failed: %s\n", qPrintable(parser.errorString()));
      return 1;
    }
    const TreeStats stats = countTree(root);
    std::printf("tree: %ld elements, %ld text runs, %ld attributes; expat events: %ld\n",
                stats.elements, stats.textRuns, stats.attributes, events);
  }

  // The measurements are interleaved (one of each per round) so that a busy
  // machine weighs on all of them alike; the ratio is also taken per round.
  std::vector<double> bare, counting, build, teardown, fromString, ratios;
  for (int round = 0; round <= rounds; ++round) {
    auto t0 = Clock::now();
    expatParse(xml, false, nullptr);
    const double bareSeconds = std::chrono::duration<double>(Clock::now() - t0).count();

    long n = 0;
    t0 = Clock::now();
    expatParse(xml, true, &n);
    const double countingSeconds = std::chrono::duration<double>(Clock::now() - t0).count();

    // Tree building: parse() only; the teardown is timed on its own.
    auto parser = std::make_unique<ZXMLParser>(xml);  // shares the bytes, no copy
    const auto buildStart = Clock::now();
    const ZXMLElement *root = parser->parse();
    const auto t1 = Clock::now();
    parser.reset();
    const auto t2 = Clock::now();
    if (!root) return 1;

    t0 = Clock::now();
    {
      ZXMLParser stringParser(xmlString);  // includes the UTF-16 -> UTF-8 conversion
      if (!stringParser.parse()) return 1;
    }
    const double fromStringSeconds = std::chrono::duration<double>(Clock::now() - t0).count();

    if (round == 0) continue;  // warm-up
    bare.push_back(bareSeconds);
    counting.push_back(countingSeconds);
    build.push_back(std::chrono::duration<double>(t1 - buildStart).count());
    teardown.push_back(std::chrono::duration<double>(t2 - t1).count());
    fromString.push_back(fromStringSeconds);
    ratios.push_back(bareSeconds / build.back());
  }
  const auto line = [&](const char *what, const Timing &t) {
    std::printf("%-44s %8.1f ms %8.1f ms   %7.1f MB/s %7.1f MB/s\n", what, t.bestSeconds * 1e3,
                t.medianSeconds * 1e3, mbPerSecond(xml.size(), t.bestSeconds),
                mbPerSecond(xml.size(), t.medianSeconds));
  };
  std::printf("%-44s %11s %11s   %12s %12s\n", "", "best", "median", "best", "median");
  const Timing bareT = summarize(bare), treeT = summarize(build);
  line("expat bare parse (no handlers)", bareT);
  line("expat with counting handlers", summarize(counting));
  line("ZXMLParser::parse, tree from UTF-8 bytes", treeT);
  line("  (tree teardown, not included above)", summarize(teardown));
  line("ZXMLParser from QString, parse + free", summarize(fromString));
  std::sort(ratios.begin(), ratios.end());
  std::printf(
      "ratio tree/bare throughput: %.2f (best against best), %.2f (median of the rounds' "
      "ratios; goal >= 0.50)\n",
      bareT.bestSeconds / treeT.bestSeconds, ratios[ratios.size() / 2]);
  return 0;
}
