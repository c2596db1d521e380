#pragma once
// The document centre against the in-process stand-in: contracts of the seeded account stored in
// the stand-in's state with their PDFs, the save dialogs and the folder opening answered here.

#include "CloudTestSupport.h"
#include "FileCenterPage.h"
#include "FileManagerPage.h"
#include "GlobalHeader.h"
#include "MMessageBox.h"
#include "PdfFixture.h"
#include "QtTestSupport.h"
#include "TableView.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QUrl>

namespace filecenter_test {

inline QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

constexpr const char* kPagedPath = "/tarvik-serve-manage-wexo/contract/query/about/me/paging";
constexpr const char* kQueryContractPath = "/tarvik-contract/query/contract";
constexpr const char* kDeletePath = "/tarvik-serve-manage-wexo/contract/delete";

class FileCenterTest : public CloudTest
{
protected:
    void SetUp() override
    {
        CloudTest::SetUp();
        ASSERT_TRUE(m_files.isValid());
        ASSERT_TRUE(login());
        FileManagerPage::setSaveFileChooser([this](QWidget*, const QString& caption, const QString& suggestion,
                                                   const QString&) {
            captions << caption;
            suggestions << suggestion;
            return nextPath;
        });
    }

    void TearDown() override
    {
        FileManagerPage::setSaveFileChooser(nullptr);
        CloudTest::TearDown();
    }

    // A one-page PDF whose page shows `label`, as the service would store it.
    static QByteArray pdfBytes(const std::string& label)
    {
        const std::string doc = fixture::onePage("BT /F1 12 Tf 20 50 Td (" + label + ") Tj ET");
        return QByteArray(doc.data(), int(doc.size()));
    }

    // Adds a contract of the logged-in account. state: "completed", "drafts" or "issued" (waiting
    // for others). With fileBytes empty the contract names a stored file that does not exist.
    QString addContract(const QString& name, const QString& state, const QString& startDate,
                        const QByteArray& fileBytes = pdfBytes("contract"), const QString& reportId = QString())
    {
        const QString id = QStringLiteral("t-%1").arg(++m_next, 3, 10, QLatin1Char('0'));
        const QString fileId = QStringLiteral("f-") + id;
        standin.withState([&](StandinState& s) {
            if (!fileBytes.isEmpty()) {
                StandinFile f;
                f.name = name + ".pdf";
                f.contentType = "application/pdf";
                f.bytes = fileBytes;
                s.files.insert(fileId, f);
            }
            QJsonObject contracts = s.seed.value("contracts").toObject();
            contracts.insert(id, QJsonObject{{"contractId", id},
                                             {"contractName", name},
                                             {"state", state},
                                             {"issueAccount", QString::fromLatin1(kAccount)},
                                             {"issueUserName", u8("张三")},
                                             {"startDate", startDate},
                                             {"createDate", startDate},
                                             {"updateDate", startDate},
                                             {"signEndDate", QString()},
                                             {"pdfFileSaveId", fileId},
                                             {"signReportUri", reportId}});
            s.seed.insert("contracts", contracts);
        });
        return id;
    }

    // Stores a file in the stand-in and returns its id.
    QString addFile(const QByteArray& bytes)
    {
        const QString id = QStringLiteral("r-%1").arg(++m_next);
        standin.withState([&](StandinState& s) {
            StandinFile f;
            f.bytes = bytes;
            s.files.insert(id, f);
        });
        return id;
    }

    // The paged-list requests sent since the last clearRequests().
    QList<QJsonObject> pageRequests() const
    {
        QList<QJsonObject> out;
        for (const StandinRequest& r : standin.requests(kPagedPath))
            out << r.json;
        return out;
    }

    static void tick(FileManagerPage& page, int row)
    {
        page.dataModel()->setData(page.dataModel()->index(row, 0), true, Qt::UserRole + 1);
    }

    QTemporaryDir m_files;
    QString nextPath;
    QStringList captions;
    QStringList suggestions;
    int m_next = 0;
};

} // namespace filecenter_test
