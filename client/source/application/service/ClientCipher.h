#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The cipher of the client GUID, shared by the player and the reference service
// so that the service can read the GUIDs the player sends.
//
// A client GUID is the Base64 text (standard alphabet, "=" padding, no line
// breaks) of the AES-128-CBC encipherment, PKCS#7 padded, of
//
//   <UUID, 36 characters> ";1234567890;" <product marker, 14 characters>
//
// that is 62 bytes of plain text, 64 bytes of cipher text, 88 characters of
// Base64. The key and the initialisation vector are built at run time and
// never appear whole in the program. Changing either, or the marker, makes
// every GUID already stored by an installed player unreadable.
namespace ClientCipher {

// The 14-character product marker that closes the plain text of a GUID.
QByteArray productMarker();

// The fixed text between the UUID and the product marker.
QByteArray guidSeparator();

// The plain text of the GUID made from uuid: its UTF-8 bytes, the separator,
// the marker.
QByteArray guidPlainText(const QString &uuid);

// AES-128-CBC with the program's key and vector, padding on; enciphers when
// encipher is true, deciphers otherwise. nullopt when the cipher reports a
// failure (for instance cipher text whose padding does not check out).
std::optional<QByteArray> crypt(const QByteArray &bytes, bool encipher);

// The Base64 GUID text for uuid; nullopt when the cipher fails.
std::optional<QString> encryptedGuid(const QString &uuid);

// Reads a GUID text back: strict Base64, deciphered, and accepted only when it
// is a 36-character UUID (hexadecimal digits and hyphens at the standard
// places) followed by the separator and the marker. Returns the UUID as sent.
std::optional<QString> uuidFromGuid(QByteArrayView base64);

}  // namespace ClientCipher
