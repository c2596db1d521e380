#pragma once
// What the workspace needs to open a cloud document (a contract, or the document of a seal
// authorisation, which the service stores as a contract under its protocol id): the id of the
// stored PDF, the PDF's bytes and the document's signers, fetched in that order.

#include "ContractRecords.h"

#include <QByteArray>
#include <QList>
#include <QString>

class LoadingWidget;

struct CloudDocument {
    QString fileId;
    QByteArray bytes;
    QList<ContractSignerInfo> signers;
};

// Fetches the document of contractId; the busy box (may be null) shows while the requests wait.
// False when the file id or the signers cannot be had: the service client has reported why. A
// download that brings no bytes is not a failure here: the workspace refuses empty bytes with
// its own message.
bool fetchCloudDocument(const QString& contractId, CloudDocument& document, LoadingWidget* busyBox);
