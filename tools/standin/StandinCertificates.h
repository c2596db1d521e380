#pragma once
// Certificates of the stand-in service: a CA of its own and a server certificate for loopback
// (EC P-256, SAN IP:127.0.0.1 and DNS:localhost), made at start-up.

#include <QByteArray>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>

struct StandinCertificates {
    QByteArray caCertificatePem;
    QByteArray caKeyPem;
    QSslCertificate caCertificate;
    QSslCertificate serverCertificate;
    QSslKey serverKey;

    // Makes a fresh CA and server certificate. With caDir, the CA is read from caDir/ca.crt and
    // caDir/ca.key when both exist, and written there otherwise, so a CA once trusted stays
    // valid across starts. Returns false with a reason in error on failure.
    static bool create(StandinCertificates& out, QString* error, const QString& caDir = QString());
};
