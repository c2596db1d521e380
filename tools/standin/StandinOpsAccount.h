#pragma once
// The stand-in's accounts of each kind, SMS outbox, signing passwords, seals and handwritten
// signatures with pictures, SM2 user keys with certificates, remote digest signing and time
// stamps. Tests reach this state through StandinService::withState.

#include "StandinService.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include <memory>

typedef struct evp_pkey_st EVP_PKEY;

// The fixed SMS code every message of the outbox carries.
constexpr const char* kStandinSmsCode = "246810";
// The signing password of the seeded accounts that have one.
constexpr const char* kStandinSignPassword = "123456";

enum class StandinCertScenario { Valid, ExpiringIn10Days, Expired };

struct StandinSms {
    QString account;
    QString phone;   // empty: the account's contact phone
    QString useWhere;
    QString code;
};

struct StandinUserCert {
    std::shared_ptr<EVP_PKEY> key;   // the user's SM2 key, never handed out
    QByteArray der;
    QString serial;                  // upper-case hexadecimal
    qint64 notBefore = 0;            // seconds since 1970
    qint64 notAfter = 0;
    QString fileId;                  // the certificate as a stored file (Base64 text)
};

struct StandinAccountArea {
    std::shared_ptr<EVP_PKEY> caKey;   // SM2 CA that issues the user certificates
    QByteArray caDer;
    QByteArray stampSecret;            // keys the time stamps' check value
    QMap<QString, QString> signPasswords;            // account -> signing password
    QList<StandinSms> outbox;
    QMap<QString, QList<QJsonObject>> seals;         // account -> seal records
    QMap<QString, QList<QJsonObject>> signatures;    // account -> handwritten signatures
    QMap<QString, QList<QJsonObject>> certificationFailures;
    QMap<QString, StandinUserCert> certs;            // account -> certificate
    QList<QJsonObject> feedback;
    int nextId = 1;
};

// The file in the CA folder that holds the SM2 CA issuing the user certificates (PEM), which
// the application's Config/ca may name so that signatures made through the stand-in verify.
constexpr const char* kStandinSigningCaFile = "signing-ca.crt";

// Creates the area: the SM2 CA, the extra accounts (company, unverified, certificate expiring and
// expired) and, for the seeded accounts, pictures, seals, signatures, signing passwords and
// certificates. Called once when the service starts. With caDir, the SM2 CA is read from there
// when it was kept before, and kept there otherwise.
void standinSeedAccountArea(StandinState& state, const QString& caDir = QString());
// The SM2 CA certificate as PEM text.
QByteArray standinSigningCaPem(const StandinAccountArea& area);
// Issues (or re-issues, as a renewal does) the account's certificate for a scenario, relative to
// the service's present time, with a fresh key and serial.
bool standinIssueCertificate(StandinState& state, const QString& account, StandinCertScenario scenario);
// A renewal: a valid certificate for another year.
bool standinRenewCertificate(StandinState& state, const QString& account);
// A red round seal picture (PNG, transparent background) of the given size in pixels.
QByteArray standinSealPng(int size, bool star);
// A picture in the manner of a QR code for text (PNG, not decodable) that carries the text in
// its "content" text chunk, so that a reader can tell which text it stands for.
QByteArray standinQrPng(const QByteArray& text);
// Appends the operations of this area to the table.
void appendAccountOperations(QList<StandinOperation>& ops);
