#pragma once
// Fixtures of the contacts page, the add-seal wizard and the handwriting pad: contacts seeded
// into the stand-in, PNG pictures of a given size in pixels and in bytes, and the file
// dialogs answered by the test.

#include "LoginTestSupport.h"

#include "AddHandWriteDialog.h"
#include "AddSealDialog.h"

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QtEndian>

// A PNG picture of size pixels (a red disc on a transparent ground); with bytes > 0 the file is
// padded to exactly that many bytes with a private ancillary chunk, which readers skip.
inline QByteArray pngBytes(QSize size, qint64 bytes = 0)
{
    QImage picture(size, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int dx = x - size.width() / 2, dy = y - size.height() / 2;
            if (dx * dx + dy * dy < size.width() * size.width() / 9)
                picture.setPixel(x, y, qRgba(220, 30, 30, 255));
        }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    if (bytes <= 0)
        return png;
    const int iend = png.size() - 12;   // the IEND chunk closes the file
    const qint64 padding = bytes - png.size() - 12;
    if (padding < 0)
        return QByteArray();
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(padding), chunk.data());
    QByteArray typed = QByteArray("orVa") + QByteArray(int(padding), 'x');
    chunk += typed;
    QByteArray crc(4, '\0');
    quint32 c = 0xFFFFFFFFu;
    for (const char ch : typed) {
        c ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    qToBigEndian<quint32>(c ^ 0xFFFFFFFFu, crc.data());
    chunk += crc;
    return png.left(iend) + chunk + png.mid(iend);
}

inline QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

// One contact record as the service sends it.
inline QJsonObject contactRecord(int n, int userType = 0, int authenStatus = 1, int activation = 1,
                                 const QString& imgUrl = QString())
{
    return QJsonObject{{"id", QString("c-%1").arg(n)},
                       {"userId", "u-0001"},
                       {"userType", userType},
                       {"activation", activation},
                       {"authenStatus", authenStatus},
                       {"remarkName", QString::fromUtf8("联系人%1").arg(n)},
                       {"userAccount", QString("1390000%1").arg(n, 4, 10, QChar('0'))},
                       {"imgUrl", imgUrl},
                       {"createDate", QString("2024-03-%1 09:00:00").arg(n % 28 + 1, 2, 10, QChar('0'))},
                       {"userName", QString::fromUtf8("用户%1").arg(n)}};
}

class ContactsTest : public LoginTest
{
protected:
    void SetUp() override
    {
        LoginTest::SetUp();
        ASSERT_TRUE(m_files.isValid());
        CAddSealDialog::setFileChooser([this](QWidget*, const QString& caption, const QString&, const QString& filter) {
            chooserCalls << caption + "|" + filter;
            return nextFile;
        });
        AddHandWriteDialog::setFileChooser(
            [this](QWidget*, const QString& caption, const QString& dir, const QString& filter) {
                chooserCalls << caption + "|" + dir + "|" + filter;
                return nextFile;
            });
    }

    void TearDown() override
    {
        CAddSealDialog::setFileChooser(nullptr);
        AddHandWriteDialog::setFileChooser(nullptr);
        LoginTest::TearDown();
    }

    // Replaces the stand-in's contacts (after a login) and lets the accounts 13900009001 to
    // 13900009009 be added.
    void seedContacts(const QJsonArray& contacts)
    {
        QList<LinkmanInfo> ignored;
        client->getMyLinkManBusiness(ignored, nullptr, QString());   // the stand-in makes its data
        QJsonArray directory;
        for (int i = 1; i <= 9; ++i)
            directory.append(QJsonObject{{"userAccount", QString("1390000900%1").arg(i)},
                                         {"userId", QString("u-90%1").arg(i)},
                                         {"userName", QString::fromUtf8("新人%1").arg(i)},
                                         {"userType", 0},
                                         {"authenStatus", 1}});
        standin.withState([&](StandinState& s) {
            QJsonObject data = s.seed.value("orders").toObject();
            data.insert("contacts", contacts);
            data.insert("directory", directory);
            s.seed.insert("orders", data);
        });
    }

    QJsonArray serviceContacts()
    {
        QJsonArray out;
        standin.withState([&](StandinState& s) { out = s.seed.value("orders").toObject().value("contacts").toArray(); });
        return out;
    }

    static QJsonArray numberedContacts(int n)
    {
        QJsonArray out;
        for (int i = 1; i <= n; ++i)
            out.append(contactRecord(i));
        return out;
    }

    QString picture(const QString& name, QSize size, qint64 bytes = 0)
    {
        return writeFile(m_files.filePath(name), pngBytes(size, bytes));
    }

    static constexpr const char* kContactsPath = "/eseal-usermanage/contacts/query/list";
    static constexpr const char* kUploadPath = "/eseal-file/file/sealFileUpload";
    static constexpr const char* kAddSealPath = "/eseal-seal/contract-seal/add/seal";

    QTemporaryDir m_files;
    QString nextFile;
    QStringList chooserCalls;
};
