#include "Dialogs.h"
#include "UserDefaults.h"
#include "ZUrlCommandHandler.h"

#include <gtest/gtest.h>

namespace {

struct Recorder {
  QStringList downloads;  // "permalink|collection" ("<nil>" for a missing collection)
  QStringList subscribed, unsubscribed;
  QStringList refuse;  // permalinks the queue refuses
  ZUrlCommandHandler handler{{
      [this](const QString &p, const QString &c) {
        downloads << p + "|" + (c.isNull() ? QString("<nil>") : c);
        return !refuse.contains(p);
      },
      [this](const QString &u) { subscribed << (u.isNull() ? QString("<nil>") : u); },
      [this](const QString &u) { unsubscribed << u; },
  }};
};

const QString auth = "zaro://cmd?command=488F2E49-A846-4d2d-8EAA-C6B3656A0A09";
const QString one = "zaro://cmd?command=49347A0A-C783-4e92-ADCE-ED7C93207E58";
const QString several = "zaro://cmd?command=306AC90D-D92B-4350-8D1B-A22F61F2CB8C";
const QString sub = "zaro://cmd?command=B29791E1-A986-405a-8D40-51D7932650AD";
const QString unsub = "zaro://cmd?command=5C8C4ADA-580B-40b6-BAE6-177132734FD7";

}  // namespace

TEST(ZUrlCommandHandler, CommandsReachTheirTargets) {
  struct Case {
    QString url;
    QStringList downloads, subscribed, unsubscribed;
  } cases[] = {
      {one + "&permalinkId=abc", {"abc|<nil>"}, {}, {}},
      {one + "&permalinkId=abc&collectionPermalink=col", {"abc|col"}, {}, {}},
      {one, {}, {}, {}},  // required permalink missing
      {several + "&collectionPermalink=col&permalinkIds=a,b,c",
       {"a|col", "b|col", "c|col"},
       {},
       {}},
      {several + "&permalinkIds=a,,b", {"a|<nil>", "b|<nil>"}, {}, {}},  // empty pieces skipped
      {several + "&permalinkIds=,a,", {"a|<nil>"}, {}, {}},
      {several + "&permalinkIds=,,", {}, {}, {}},
      {sub + "&rssUrl=feeds%2Fnews.xml", {}, {"feeds/news.xml"}, {}},
      {sub, {}, {"<nil>"}, {}},
      {unsub + "&rssUrl=http%3A%2F%2Fh%2Ff.xml", {}, {}, {"http://h/f.xml"}},
      {one.toLower() + "&permalinkId=abc", {}, {}, {}},  // GUIDs are case-sensitive
      {"zaro://cmd?command=UNKNOWN&permalinkId=abc", {}, {}, {}},
      {"http://x/?u=zaro://cmd?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&permalinkId=abc",
       {},
       {},
       {}},
      {"ZARO://cmd?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&permalinkId=abc", {}, {}, {}},
      {"", {}, {}, {}},
  };
  for (const Case &c : cases) {
    Recorder r;
    r.handler.processUrl(c.url);
    SCOPED_TRACE(c.url.toStdString());
    EXPECT_EQ(r.downloads, c.downloads);
    EXPECT_EQ(r.subscribed, c.subscribed);
    EXPECT_EQ(r.unsubscribed, c.unsubscribed);
  }
}

TEST(ZUrlCommandHandler, TokensAreStoredDecodedAndKept) {
  auto &defaults = UserDefaults::standardUserDefaults();
  defaults.removeObject("ZaroClientAuthorization");
  Recorder r;
  r.handler.processUrl(auth);  // no token: nothing stored
  EXPECT_FALSE(defaults.hasStoredValue("ZaroClientAuthorization"));
  r.handler.processUrl(auth + "&ZARO_GUIDE_AUTH=abc%2B1");
  EXPECT_EQ(defaults.stringForKey("ZaroClientAuthorization"), "abc+1");
  r.handler.processUrl(one + "&permalinkId=p");  // no token: the stored one stays
  EXPECT_EQ(defaults.stringForKey("ZaroClientAuthorization"), "abc+1");
  r.handler.processUrl(one + "&ZARO_GUIDE_AUTH=new&permalinkId=p");
  EXPECT_EQ(defaults.stringForKey("ZaroClientAuthorization"), "new");
  EXPECT_EQ(r.downloads, QStringList({"p|<nil>", "p|<nil>"}));
}

TEST(ZUrlCommandHandler, EachRefusalShowsItsAlert) {
  auto scripted = std::make_unique<ScriptedDialogs>();
  ScriptedDialogs *dialogs = scripted.get();
  Dialogs::setShared(std::move(scripted));
  Recorder r;
  r.refuse = {"a", "c"};
  r.handler.processUrl(several + "&permalinkIds=a,b,c");
  EXPECT_EQ(r.downloads.size(), 3);
  ASSERT_EQ(dialogs->asked().size(), 2);
  EXPECT_TRUE(dialogs->asked().at(0).startsWith("alert "));
  Dialogs::setShared(nullptr);
}

// A link is carried out only when it parses; everything else is ignored
// without a word, whatever command it names.
TEST(ZUrlCommandHandler, OnlyLinksThatParseAreCarriedOut) {
  const QString long255(255, 'p');
  struct Case {
    QString url;
    QStringList downloads;
  } cases[] = {
      // The permalink charset of the service: letters, digits and . _ ~ -
      {one + "&permalinkId=Abc.1_2~3-4", {"Abc.1_2~3-4|<nil>"}},
      {one + "&permalinkId=" + long255, {long255 + "|<nil>"}},
      {one + "&permalinkId=" + long255 + "p", {}},  // too long
      {one + "&permalinkId=bad id<x>", {}},
      {one + "&permalinkId=bad%20id%3Cx%3E", {}},  // permalinks are taken as written
      {one + "&permalinkId=", {}},
      {one + "&permalinkId=a/b", {}},
      {one + "&permalinkId=a+b", {}},
      {one + "&permalinkId=caf\u00e9", {}},
      {one + "&permalinkId=abc&collectionPermalink=", {"abc|"}},
      {one + "&permalinkId=abc&collectionPermalink=c%2Fd", {}},
      {one + "&permalinkId=abc&collectionPermalink=c d", {}},
      // The link itself: printable ASCII, whole escapes, name=value pairs,
      // each name once, no fragment.
      {one + "&permalinkId=abc#top", {}},
      {one + "&permalinkId=abc&permalinkId=def", {}},
      {one + "&permalinkId=abc&", {}},
      {one + "&&permalinkId=abc", {}},
      {one + "&permalinkId=abc&junk", {}},
      {one + "&permalinkId=abc&=x", {}},
      {one + "&permalinkId=abc&extra=%4", {}},
      {one + "&permalinkId=abc&extra=%G1", {}},
      {one + "&permalinkId=abc&extra=ok%2F", {"abc|<nil>"}},  // unknown parameters pass
      {one + "&permalinkId=abc\t", {}},
      {"zaro://cmd?permalinkId=abc&command=49347A0A-C783-4e92-ADCE-ED7C93207E58",
       {"abc|<nil>"}},
      {"zaro://cmd/x.y-z?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&permalinkId=abc",
       {"abc|<nil>"}},
      {"zaro://c=d?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&permalinkId=abc", {}},
      {"zaro://cmd", {}},
      // Parameters are read as whole pairs, never from inside another name.
      {one + "&xpermalinkId=evil&permalinkId=good", {"good|<nil>"}},
      // A list is carried out whole or not at all.
      {several + "&permalinkIds=a,b c", {}},
      {several + "&permalinkIds=a,%2F,b", {}},
      {several + "&permalinkIds=a,b&collectionPermalink=x!", {}},
  };
  for (const Case &c : cases) {
    Recorder r;
    r.handler.processUrl(c.url);
    SCOPED_TRACE(c.url.toStdString());
    EXPECT_EQ(r.downloads, c.downloads);
  }
}

TEST(ZUrlCommandHandler, TokensAndFeedAddressesMustDecodeToText) {
  auto &defaults = UserDefaults::standardUserDefaults();
  defaults.setString("kept", "ZaroClientAuthorization");
  Recorder r;
  for (const QString &bad : {auth + "&ZARO_GUIDE_AUTH=a%0Ab", auth + "&ZARO_GUIDE_AUTH=a%7F",
                             one + "&ZARO_GUIDE_AUTH=a%00&permalinkId=p"}) {
    SCOPED_TRACE(bad.toStdString());
    r.handler.processUrl(bad);
    EXPECT_EQ(defaults.stringForKey("ZaroClientAuthorization"), "kept");
  }
  EXPECT_TRUE(r.downloads.isEmpty());
  r.handler.processUrl(sub + "&rssUrl=http%3A%2F%2Fh%2Ff%0D%0A.xml");
  r.handler.processUrl(unsub + "&rssUrl=http%3A%2F%2Fh%2F%09f.xml");
  EXPECT_TRUE(r.subscribed.isEmpty());
  EXPECT_TRUE(r.unsubscribed.isEmpty());
  r.handler.processUrl(sub + "&rssUrl=http%3A%2F%2Fh%2Fcaf%E9.xml");
  EXPECT_EQ(r.subscribed, QStringList({"http://h/caf\u00e9.xml"}));
}

TEST(ZUrlCommandHandler, EmptyPermalinksOfAListAreSkippedWithoutAnAlert) {
  auto scripted = std::make_unique<ScriptedDialogs>();
  ScriptedDialogs *dialogs = scripted.get();
  Dialogs::setShared(std::move(scripted));
  Recorder r;
  // The queue refuses an empty permalink whenever the library holds an
  // imported video (whose permalink is empty): it must never be asked.
  r.refuse = {""};
  r.handler.processUrl(several + "&permalinkIds=a,,b,");
  EXPECT_EQ(r.downloads, QStringList({"a|<nil>", "b|<nil>"}));
  EXPECT_TRUE(dialogs->asked().isEmpty()) << dialogs->asked().join("; ").toStdString();
  Dialogs::setShared(nullptr);
}

// The token is the first thing a link hands over: a command that then stops
// at a missing or ill-formed value of its own keeps the token stored.
TEST(ZUrlCommandHandler, TheTokenIsStoredBeforeTheCommandsOwnValuesAreRead) {
  auto &defaults = UserDefaults::standardUserDefaults();
  const QString token = "&ZARO_GUIDE_AUTH=tok%2B";
  for (const QString &url : {
           one + token,                                              // no permalink
           one + token + "&permalinkId=",                            // an empty one
           one + token + "&permalinkId=a%2Fb",                       // outside the charset
           one + token + "&permalinkId=abc&collectionPermalink=c!",  // a spoiled collection
           several + token,                                          // no list
           several + token + "&permalinkIds=a,b!",                   // one spoiled piece
           sub + token + "&rssUrl=http%3A%2F%2Fh%2F%0Af.xml",  // a feed address with a newline
           unsub + token + "&rssUrl=%00",
       }) {
    SCOPED_TRACE(url.toStdString());
    defaults.setString("earlier", "ZaroClientAuthorization");
    Recorder r;
    r.handler.processUrl(url);
    EXPECT_EQ(defaults.stringForKey("ZaroClientAuthorization"), "tok+");
    EXPECT_TRUE(r.downloads.isEmpty());
    EXPECT_TRUE(r.subscribed.isEmpty());
    EXPECT_TRUE(r.unsubscribed.isEmpty());
  }
}

// A link holding a character that no URL holds unescaped is no URL: nothing
// of it is carried out, wherever the character stands (the token included).
// Escaped, the same characters are plain values.
TEST(ZUrlCommandHandler, ALinkWithCharactersNoUrlHoldsIsIgnoredWhole) {
  auto &defaults = UserDefaults::standardUserDefaults();
  for (const QChar c : QStringLiteral("{}|\\^<>\"`[] ")) {
    for (const QString &url : {
             one + "&ZARO_GUIDE_AUTH=to" + c + "k&permalinkId=abc",
             auth + "&ZARO_GUIDE_AUTH=" + c,
             one + "&ZARO_GUIDE_AUTH=tok&permalinkId=abc&extra=" + c,
             sub + "&ZARO_GUIDE_AUTH=tok&rssUrl=http://h/f" + c + ".xml",
         }) {
      SCOPED_TRACE(url.toStdString());
      defaults.setString("earlier", "ZaroClientAuthorization");
      Recorder r;
      r.handler.processUrl(url);
      EXPECT_EQ(defaults.stringForKey("ZaroClientAuthorization"), "earlier");
      EXPECT_TRUE(r.downloads.isEmpty());
      EXPECT_TRUE(r.subscribed.isEmpty());
    }
  }
  // The delimiters a URL may hold as they are stay usable.
  Recorder r;
  r.handler.processUrl(one + "&ZARO_GUIDE_AUTH=a:b@c/d?e!$'()*+,;=&permalinkId=abc");
  EXPECT_EQ(defaults.stringForKey("ZaroClientAuthorization"), "a:b@c/d?e!$'()*+,;=");
  EXPECT_EQ(r.downloads, QStringList({"abc|<nil>"}));
  r.handler.processUrl(auth + "&ZARO_GUIDE_AUTH=%7B%7D%7C%5C%5E%3C%3E%22%60");
  EXPECT_EQ(defaults.stringForKey("ZaroClientAuthorization"), "{}|\\^<>\"`");
}
