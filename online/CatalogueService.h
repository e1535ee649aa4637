#pragma once

#include "common/Exception.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// The online catalogue service that the scenario catalogue and the systems catalogue talk to:
// where it is, who the client is, and how a request is sent. Replies are read with
// CatalogueReply.h.
//
// Address: section "CATALOGUE" of "Vendra.ini":
//   Host    the service's host with an optional port ("catalogue.example.org", "127.0.0.1:8443");
//   CaFile  an optional PEM file of trusted certificate authorities in place of the system's store.
// Requests always go over HTTPS with the peer's certificate verified. While no host is set the
// catalogues are off: nothing is sent, and the lists loaded at start-up stay quietly empty.
//
// Client identity, sent with the requests that name the client:
//   appid   kCatalogueAppId, this program's own constant;
//   appver  the program's version text;
//   hwdid   a random identifier made once and kept in the settings store ("Vendra.frm", section
//           "Catalogue", key "InstallationId"); never derived from the hardware;
//   cl_name, cl_mail  the user's profile: section "USER" of "Vendra.ini", keys "Name" and "Mail";
//   cl_lcid the current interface language id.
//
// Wire encoding: posted values go as Windows-1251 (the program's other wire texts use it), chosen
// here once. A value with a character that code page cannot hold is refused before anything is
// sent, never silently changed.

// The program's own id in the catalogue (compared with the "app_guid" of a catalogue row).
inline constexpr char16_t kCatalogueAppId[] = u"{7E3A41C2-5B9D-4F08-A6E1-2C84D0F95B37}";

// A failure of the catalogue service: an error row, a malformed reply, a text that cannot be sent.
class ECatalogueError : public Exception {
public:
    using Exception::Exception;
};

struct TCatalogueSettings {
    QString host;   // empty: no catalogue is set up
    QString caFile; // empty: the system's certificate store

    bool configured() const { return !host.isEmpty(); }
};
// The settings from "[CATALOGUE]" of the ini file (by default the program's "Vendra.ini").
TCatalogueSettings LoadCatalogueSettings();
TCatalogueSettings LoadCatalogueSettings(const QString &iniFileName);

// True when "Vendra.ini" names a catalogue host.
bool CatalogueConfigured();
// "https://" + host + path ("/scripts/sys_getlist.php"); raises ECatalogueError when no host is set
// or the host is not a host name or address with an optional port.
QString CatalogueUrl(const TCatalogueSettings &settings, QStringView path);

struct TClientIdentity {
    QString appId;
    QString appVersion;
    QString hwdId;
    QString name;
    QString mail;
    int lcid = 0;
};
// The identity from the program, the settings store and "Vendra.ini"; the installation id is
// made and stored on the first call while a catalogue host is set (kept for the program's life when
// the store cannot be written), and left empty while none is, since nothing can be sent then.
TClientIdentity LoadClientIdentity();
// The installation id alone (made and stored when missing).
QString InstallationId();
// The user's profile in "[USER]" of "Vendra.ini".
void SaveUserProfile(const QString &name, const QString &mail);
// The name and e-mail of the profile alone: no installation id is made for them.
void LoadUserProfile(QString &name, QString &mail);

// Appends "appid=", "appver=", "hwdid=", "cl_name=", "cl_mail=" and "cl_lcid=" in this order; the
// name and the mail are C-style escaped. The second form names another author (a published
// record's own name and mail) in place of the profile's.
void AppendIdentityFields(QStringList &fields, const TClientIdentity &identity);
void AppendIdentityFields(QStringList &fields, const TClientIdentity &identity, const QString &name,
                          const QString &mail);

// A text as it goes on the wire; raises ECatalogueError naming the characters it cannot hold.
QByteArray CatalogueWireBytes(QStringView text);
// The Base64 of a text's wire bytes (for values the service takes as Base64).
QString CatalogueBase64(QStringView text);
// The form body of "key=value" lines in their order, each side percent-encoded from its wire bytes.
QByteArray EncodeCatalogueForm(const QStringList &fields);

// One request: POST of the fields (in their order) to the path on the configured service,
// redirects followed within that server only (another host, port or plain HTTP is refused), TLS verified, with time-outs; an HTTP error status is a failure. The reply
// body as text (UTF-8, or Windows-1251 when it is not valid UTF-8). Raises EHttpError or
// ECatalogueError (both are Exception).
QString CataloguePost(QStringView path, const QStringList &fields);
QString CataloguePost(const TCatalogueSettings &settings, QStringView path, const QStringList &fields);
