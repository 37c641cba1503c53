#include "HostilePages.h"

#include <regex>

namespace zsvc {

namespace {

constexpr const char *kHtmlType = "text/html; charset=utf-8";
// The service's commands, as its pages write them.
constexpr const char *kDownload =
    "zaro://run?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&permalinkId=ocean-sunrise";
constexpr const char *kDownloadSeveral =
    "zaro://run?command=306AC90D-D92B-4350-8D1B-A22F61F2CB8C&permalinkIds=ocean-sunrise,"
    "mountain-trail";
constexpr const char *kSetToken =
    "zaro://run?command=488F2E49-A846-4d2d-8EAA-C6B3656A0A09&ZARO_GUIDE_AUTH=stolen-token";
constexpr const char *kUnsubscribe =
    "zaro://run?command=5C8C4ADA-580B-40b6-BAE6-177132734FD7&rssUrl=";
constexpr const char *kOtherHost = "http://elsewhere.invalid/hostile.html";

std::string subscribe(const std::string &base) {
  return "zaro://run?command=B29791E1-A986-405a-8D40-51D7932650AD&rssUrl=" + base +
         "%2Frss%2Fnature.xml";
}

// One attack per page: what it tries, and the markup that tries it.
struct Attack {
  const char *title;
  std::string markup;
};

Attack attack(int n, const std::string &base) {
  const std::string download = kDownload, other = kOtherHost;
  switch (n) {
    case 1:
      return {"A script moves the page to a download while it loads",
              "<script>location.href='" + download + "'</script>"};
    case 2:
      return {"Scripts set the token and subscribe after the load",
              "<script>setTimeout(()=>{location.href='" + std::string(kSetToken) +
                  "'},100);setTimeout(()=>{location.href='" + subscribe(base) +
                  "'},400)</script>"};
    case 3:
      return {"A script clicks download links",
              "<a id=one href='" + download + "'>one</a><a id=several href='" +
                  std::string(kDownloadSeveral) + "'>several</a><script>"
                  "document.getElementById('one').click();"
                  "setTimeout(()=>document.getElementById('several').click(),300)</script>"};
    case 4:
      return {"Frames hold commands",
              "<iframe src='" + subscribe(base) + "'></iframe><iframe src='" + download +
                  "'></iframe><iframe src='/hostile/frame.html'></iframe>"};
    case 5:
      return {"A meta refresh subscribes",
              "<meta http-equiv=\"refresh\" content=\"0;url=" + subscribe(base) + "\">"};
    case 6:
      return {"Forms post commands",
              "<form id=f method=post action='" + download +
                  "'><input name=q value=1></form><form id=g action='/guide/index.html'>"
                  "<input name=command value='49347A0A-C783-4e92-ADCE-ED7C93207E58'>"
                  "<input name=permalinkId value='mountain-trail'></form><script>"
                  "document.getElementById('f').submit();"
                  "setTimeout(()=>document.getElementById('g').submit(),400)</script>"};
    case 7:
      return {"Pop-up windows",
              "<script>window.open('" + download + "');setTimeout(()=>window.open('" + other +
                  "'),200);setTimeout(()=>window.open('/hostile/1.html'),400)</script>"};
    case 8:
      return {"A script follows links to another host",
              "<a id=o target=_blank href='" + other + "'>other</a><script>"
                  "document.getElementById('o').click();"
                  "setTimeout(()=>{location.href='" + other + "'},300)</script>"};
    case 9:
      return {"A script unsubscribes and sets the token from a frame's page",
              "<script>setTimeout(()=>{location.href='" + std::string(kUnsubscribe) + base +
                  "%2Frss%2Fnature.xml'},100)</script><iframe src='/hostile/frame.html?token'>"
                  "</iframe>"};
    default:
      return {"", ""};
  }
}

Reply htmlReply(const std::string &title, const std::string &body) {
  return textReply(200, kHtmlType,
                   "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
                       "</title></head><body><h1>" + title + "</h1>" + body + "</body></html>");
}

}  // namespace

Reply hostilePage(int n, const std::string &base) {
  if (n == HostilePageCount + 1) {
    return htmlReply("Attacks done",
                     "<p><a href='" + std::string(kOtherHost) + "'>Elsewhere</a></p><p><a href='" +
                         std::string(kDownload) + "'>Download by hand</a></p>");
  }
  if (n < 1 || n > HostilePageCount) return notFound();
  const Attack a = attack(n, base);
  // The next page first: an attack may stop the rest of this one from loading.
  const std::string next = "<script>setTimeout(()=>{location.href='/hostile/" +
                           std::to_string(n + 1) + ".html'}," +
                           std::to_string(HostilePageStepMs) + ")</script>";
  return htmlReply(std::to_string(n) + ". " + a.title, next + a.markup);
}

std::optional<Reply> hostilePageAt(const std::string &path, const std::string &base) {
  if (path == "/hostile/frame.html")
    return htmlReply("Frame", "<script>setTimeout(()=>{top.location='" + std::string(kDownload) +
                                  "'},50);setTimeout(()=>{top.location='" +
                                  std::string(kSetToken) + "'},300)</script>");
  static const std::regex page(R"(/hostile/(\d{1,3})\.html)");
  std::smatch match;
  if (!std::regex_match(path, match, page)) return std::nullopt;
  return hostilePage(std::stoi(match[1].str()), base);
}

}  // namespace zsvc
