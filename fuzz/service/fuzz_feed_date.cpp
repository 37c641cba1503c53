// Feed dates: any conversion result must be a library date that parses back
// to itself. Run in a zone with daylight saving, so that skipped and repeated
// wall-clock hours are reached.
#include "DateUtilities.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

  const QString converted = Utilities::convertDateFromHtmlDateFormat(text);
  if (!converted.isNull()) {
    const QDateTime parsed = Utilities::parseDate(converted);
    if (!parsed.isValid()) abort();
    if (Utilities::formatDate(parsed) != converted) abort();
  }

  // The library form itself: whatever parses formats to a text that parses to
  // the same moment.
  const QDateTime parsed = Utilities::parseDate(text);
  if (parsed.isValid()) {
    const QDateTime again = Utilities::parseDate(Utilities::formatDate(parsed));
    if (!again.isValid() || again != parsed) abort();
    (void)Utilities::getDateAddedTextRepresentation(text, QDate(2010, 6, 15));
  }
  return 0;
}
