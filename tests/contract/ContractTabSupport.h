// What the contract tests share: the workspace over the in-process stand-in, contracts of every
// state stored in the stand-in, and the way the main window fetches one (file id, file bytes,
// signers) before the workspace opens it.
#pragma once

#include "SigningTestSupport.h"

#include "CloudDocumentFetch.h"
#include "ContractDetailInfoWidget.h"
#include "DocTabWidget.h"
#include "LinkManListWidget.h"
#include "MenuBar.h"
#include "RightToolBar.h"
#include "SignPage.h"
#include "SignParamBusiness.h"
#include "SignParamSetting.h"
#include "SplitterFrame.h"

#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace contracttest {

constexpr const char* kMe = "13800000000";
constexpr const char* kCompany = "13900000000";
constexpr const char* kPerson = "13700000000";

// One signer of a stored contract.
struct StoredSigner {
    const char* account;
    const char* signStatus;   // "unsigned", "signed" or "refused"
};

class ContractFixture : public signingtest::SigningTest
{
protected:
    QString userIdOf(const QString& account)
    {
        QString id;
        standin.withState([&](StandinState& s) { id = s.users.value(account).data.value("id").toString(); });
        return id;
    }

    // Stores a contract of the service in the given state ("drafts", "issued", "completed",
    // "refused") with its PDF and its signers (in signing order), issued by the seeded account.
    void storeContract(const QString& id, const QString& name, const QString& state, const QString& endDate,
                       const QList<StoredSigner>& signers, const std::string& pdf = signingtest::pages(2))
    {
        const QString fileId = "f-" + id;
        standin.addFile(fileId, StandinFile{name + ".pdf", "application/pdf", QByteArray::fromStdString(pdf)});
        QList<QPair<QString, QString>> ids;
        for (const StoredSigner& s : signers)
            ids.append({QString::fromLatin1(s.account), userIdOf(s.account)});
        standin.withState([&](StandinState& st) {
            QJsonObject contracts = st.seed.value("contracts").toObject();
            contracts.insert(id, QJsonObject{{"contractId", id},
                                             {"contractName", name},
                                             {"state", state},
                                             {"issueAccount", kMe},
                                             {"issueUserId", st.users.value(kMe).data.value("id")},
                                             {"issueUserName", st.users.value(kMe).data.value("userName")},
                                             {"signRule", "serial"},
                                             {"signEndDate", endDate},
                                             {"remark", u8("请于月底前签署")},
                                             {"pdfFileSaveId", fileId},
                                             {"startDate", "2026-01-05 10:00:00"},
                                             {"createDate", "2026-01-05 10:00:00"},
                                             {"updateDate", "2026-01-05 10:00:00"}});
            st.seed.insert("contracts", contracts);
            QJsonObject joins = st.seed.value("joinUsers").toObject();
            for (int i = 0; i < signers.size(); i++) {
                const QString join = QString("j-%1-%2").arg(id).arg(i + 1);
                joins.insert(join, QJsonObject{{"contractJoinUserId", join},
                                               {"contractId", id},
                                               {"userId", ids[i].second},
                                               {"userType", "0"},
                                               {"userAccount", ids[i].first},
                                               {"userName", st.users.value(ids[i].first).data.value("userName")},
                                               {"signOrder", i + 1},
                                               {"role", i == 0 ? u8("发起方") : u8("签署方")},
                                               {"signStatus", QString::fromLatin1(signers[i].signStatus)},
                                               {"signDate", QString(signers[i].signStatus) == "signed"
                                                                ? "2026-01-06 09:30:00" : ""}});
            }
            st.seed.insert("joinUsers", joins);
        });
    }

    // The contract as the document centre lists it for its state, then its file and signers as
    // the main window fetches them. False when any step fails.
    bool fetch(const QString& id, int listState, ContractInfo& info, QByteArray& bytes, QList<ContractSignerInfo>& signers)
    {
        QList<ContractInfo> list;
        int pages = 0;
        if (!client->queryContractBusinessAboutmePage(list, listState, pages, nullptr, "", "", "", 3, 1, 50))
            return false;
        bool found = false;
        for (const ContractInfo& c : list)
            if (c.contractId == id) {
                info = c;
                found = true;
            }
        CloudDocument document;
        if (!found || !fetchCloudDocument(id, document, nullptr))
            return false;
        info.pdfFileSaveId = document.fileId;
        bytes = document.bytes;
        signers = document.signers;
        return true;
    }
};

} // namespace contracttest
