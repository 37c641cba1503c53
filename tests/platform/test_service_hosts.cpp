#include "ServiceHosts.h"

#include <gtest/gtest.h>

TEST(ServiceHosts, DefaultsAndEnvironmentOverrides) {
  qunsetenv("ZARO_SERVICE_URL");
  qunsetenv("ZARO_IMAGE_SERVICE_URL");
  qunsetenv("ZARO_CACHE_SERVICE_URL");
  EXPECT_EQ(ServiceHosts::serviceWebHost(), QUrl(ServiceHosts::DefaultServiceURL));
  EXPECT_EQ(ServiceHosts::serviceImageHost(), QUrl(ServiceHosts::DefaultServiceURL));

  qputenv("ZARO_SERVICE_URL", "http://127.0.0.1:5000/");
  qputenv("ZARO_CACHE_SERVICE_URL", "http://cache.local:81");
  EXPECT_EQ(ServiceHosts::webURLString("/contact.html"), "http://127.0.0.1:5000/contact.html");
  EXPECT_EQ(ServiceHosts::urlStringOnHost(ServiceHosts::serviceImageHost(), "/i.jpg"),
            "http://127.0.0.1:5000/i.jpg");
  EXPECT_EQ(ServiceHosts::urlStringOnHost(ServiceHosts::serviceCacheHost(), "/v.mp4"),
            "http://cache.local:81/v.mp4");

  // A base with a path keeps it in front; a value that is no URL is ignored.
  qputenv("ZARO_SERVICE_URL", "http://host/zaro");
  EXPECT_EQ(ServiceHosts::webURLString("/help.html"), "http://host/zaro/help.html");
  qputenv("ZARO_SERVICE_URL", "not a url");
  EXPECT_EQ(ServiceHosts::serviceWebHost(), QUrl(ServiceHosts::DefaultServiceURL));
  qunsetenv("ZARO_SERVICE_URL");
  qunsetenv("ZARO_CACHE_SERVICE_URL");
}

TEST(ServiceHosts, AnAddressIsTheServicesOnlyOnItsOwnSchemeHostAndPort) {
  qputenv("ZARO_SERVICE_URL", "http://127.0.0.1:5000/zaro");
  qputenv("ZARO_CACHE_SERVICE_URL", "https://Cache.Example");
  struct Case {
    const char *url;
    bool service, web;
  };
  const Case cases[] = {
      {"http://127.0.0.1:5000/service/getUpdate.xml", true, true},
      {"HTTP://127.0.0.1:5000/elsewhere", true, true},
      {"https://cache.example/v.mp4", true, false},
      {"https://cache.example:443/v.mp4", true, false},
      {"http://cache.example/v.mp4", false, false},    // another scheme
      {"http://127.0.0.1:5001/", false, false},        // another port
      {"http://127.0.0.1/", false, false},             // the scheme's port
      {"http://127.0.0.1.evil.example:5000/", false, false},
      {"http://evil.example/?u=http://127.0.0.1:5000/", false, false},
      {"http://user@127.0.0.1:5000/", true, true},
      {"file:///etc/passwd", false, false},
      {"", false, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(ServiceHosts::isServiceAddress(QUrl(c.url)), c.service);
    EXPECT_EQ(ServiceHosts::isServiceWebAddress(QUrl(c.url)), c.web);
  }
  qunsetenv("ZARO_SERVICE_URL");
  qunsetenv("ZARO_CACHE_SERVICE_URL");
}
