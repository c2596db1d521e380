#pragma once
// Business requests against the stand-in: a logged-in client, canned replies per path and the
// bodies the stand-in received.

#include "CloudTestSupport.h"
#include "LoadingWidget.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>

#include <functional>

inline QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

inline QJsonObject jsonObject(const char* text)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return doc.object();
}

inline QJsonArray jsonArray(const char* text)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return doc.array();
}

class BusinessTest : public CloudTest
{
protected:
    void SetUp() override
    {
        CloudTest::SetUp();
        ASSERT_TRUE(login());
        standin.clearRequests();
    }

    // The next request to path gets this envelope (after the stand-in checked its shape).
    void cannedReply(const QString& path, const QJsonObject& envelope)
    {
        StandinScript s = StandinScript::withEnvelope(envelope);
        s.times = 1;
        standin.script(path, s);
    }
    void cannedData(const QString& path, const QJsonValue& data)
    {
        cannedReply(path, QJsonObject{{"code", 10000}, {"msg", ""}, {"data", data}});
    }

    // The body of the latest request to path, as the client wrote it.
    QByteArray lastBody(const QString& path) const
    {
        const QList<StandinRequest> sent = standin.requests(path);
        return sent.isEmpty() ? QByteArray() : sent.last().body;
    }
};
