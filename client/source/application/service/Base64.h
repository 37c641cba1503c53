#pragma once

#include <QByteArray>
#include <QString>

// Base64 with the standard alphabet ("A"-"Z", "a"-"z", "0"-"9", "+", "/") and
// "=" padding, as the client identity travels.
namespace ZONSDataExtensions {

// Decodes leniently: the text is read as ASCII, every character outside the
// alphabet (line breaks, blanks, anything else) is skipped, and the first "="
// ends the input. A final group of two or three characters before that "="
// gives one or two bytes; a final group shorter than four characters without a
// "=" after it is dropped. A null or empty text gives empty data.
QByteArray dataWithBase64EncodedString(const QString &text);

// Encodes in groups of four characters, the last one padded with "=". With a
// positive line length a "\n" follows every group after which the characters
// written since the last line break reach or pass that length; 0 (or less)
// means one line without breaks.
QString base64EncodingWithLineLength(const QByteArray &data, int lineLength);

}  // namespace ZONSDataExtensions
