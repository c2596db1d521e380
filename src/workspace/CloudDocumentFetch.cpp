#include "CloudDocumentFetch.h"

#include "NetWorkBusiness.h"

bool fetchCloudDocument(const QString& contractId, CloudDocument& document, LoadingWidget* busyBox)
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    QString fileId;
    if (!client->queryContractBussiness(contractId, fileId, busyBox))
        return false;
    QByteArray bytes = client->getFileDataById(fileId);
    QList<ContractSignerInfo> signers;
    if (!client->queryContractJoinuser(contractId, signers, busyBox))
        return false;
    document.fileId = fileId;
    document.bytes = bytes;
    document.signers = signers;
    return true;
}
