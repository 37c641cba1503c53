#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

#include <optional>

// The old ASCII property-list text: strings, dictionaries "{ key = value; }",
// arrays "( a, b )" and data "<0fbd77>". Download jobs and queued server
// commands keep their parameters in this form.
namespace PropertyList {

// The text of a value: a QString (or anything else convertible to text) as a
// string, a QVariantMap or QVariantHash as a dictionary (keys sorted), a
// QVariantList or QStringList as an array, a QByteArray as data. Containers
// are written over several lines, each level indented by four blanks.
// Strings are quoted unless they consist only of letters, digits and "_$+/:.-";
// inside quotes, "\"" and "\\" are escaped, control characters are written as
// C escapes or three octal digits, characters outside ASCII as "\U" and four
// hexadecimal digits (one per UTF-16 code unit).
QString write(const QVariant &value);

// The value of a whole text: a QString, QVariantMap, QVariantList or
// QByteArray. "//" and "/* */" comments are skipped. Nothing when the text is
// not one well-formed value (or nests deeper than 512 levels).
std::optional<QVariant> read(const QString &text);

// A dictionary of strings (the JobParams form). write() of an empty dictionary
// is the empty text; readStrings() of an empty or blank text is an empty
// dictionary. readStrings() answers nothing when the text is not a dictionary
// or holds a value that is not a string.
QString writeStrings(const QHash<QString, QString> &dictionary);
std::optional<QHash<QString, QString>> readStrings(const QString &text);

}  // namespace PropertyList
