#pragma once

#include <QString>
#include <QVariantList>

// The application's string table: every user-visible text is looked up by key.
// A missing key shows the key itself.
QString localized(const QString &key);

// Fills a printf-style template the way the string resources write them:
// %@ (any value), %d %i %ld %lld %qd (signed), %u %lu %llu %qu (unsigned),
// %f, %s and %%, with printf's flags (- 0 + blank), width and precision
// ("%2.1f", "%02d", "%.3@"). Arguments are used in order; a missing one
// leaves an empty text.
QString formatString(const QString &format, const QVariantList &args);

// localized(key) used as a template for formatString().
QString localizedFormat(const QString &key, const QVariantList &args);
