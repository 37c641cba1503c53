#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class UserDefaults;

// Who is asking: the client GUID every service request carries, the cipher it
// is made with, and the media-information address built from the identity.
namespace Utilities {

// The client GUID: the "ApplicationClientID" setting when it holds a non-empty
// text; otherwise a new getEncryptedUUID(), stored there and returned. A null
// text when the cipher fails (nothing is stored; the next call tries again).
QString getMyPeerID();
QString getMyPeerID(UserDefaults &defaults);

// encrypt() of a new UUID followed by the GUID marker: 88 characters of Base64.
QString getEncryptedUUID();

// The text enciphered and Base64-coded without line breaks; a null text for a
// null text or when the cipher fails.
QString encrypt(const QString &text);

// The text's UTF-8 bytes run through the client cipher (AES-128-CBC, padded),
// enciphered or deciphered by the flag; nothing when the cipher fails.
std::optional<QByteArray> crypt(const QString &text, bool encryptBool);

// A value for a service query: wwwFormURLEncoded(value), or "(null)" for a
// null value (the way an absent token or GUID has always been sent).
QString queryValue(const QString &value);

// The media-information address of the download items:
// "<base>?clientGUID=<GUID>&ZARO_GUIDE_AUTH=<token>&version=<version>", every
// value form-encoded and "(null)" in place of a missing token. The base is the
// configured "MediaInfoUrl" when present and not empty, else
// "/service/getMediaInfo.xml" on the service's web host. A configured base
// that is not on one of the service's hosts (ServiceHosts::isServiceAddress)
// gets no token: "<base>?clientGUID=<GUID>&version=<version>". The forms that read
// the configured base from the library's Config table are the library's
// (Config.h).
QString getMediaInfoUrl(const std::optional<QString> &configuredBase, UserDefaults &defaults);

}  // namespace Utilities
