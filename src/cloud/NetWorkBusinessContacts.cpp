// The user's address book of contacts.

#include "NetWorkBusiness.h"

#include "LoadingWidget.h"

int NetWorkBusiness::getMyLinkManBusiness(QList<LinkmanInfo>& linkmansInfos, LoadingWidget* loading,
                                          const QString queryValue)
{
    ServiceCall c(bt_getmylinkman, "getMyLinkManBusiness");
    c.startText = QString("---------getMyLinkManBusiness请求开始(入参：queryValue：%1)----------").arg(queryValue);
    c.setJson(queryValue.isEmpty() ? QJsonObject() : QJsonObject{{"queryValue", queryValue}});
    c.loading = loading;
    return callForRows(c, linkmansInfos);
}

int NetWorkBusiness::addLinkMan(int userType, QString remarkName, QString userAccout, LoadingWidget* loading)
{
    ServiceCall c(bt_addlinkman, "addLinkMan");
    c.startText = QString("---------addLinkMan请求开始(入参：userType：%1-remarkName：%2-userAccout：%3)----------")
                      .arg(QString::number(userType), remarkName, userAccout);
    // The account type is not part of the request: the service finds the account by its name.
    c.setJson(QJsonObject{{"remarkName", remarkName}, {"addValue", userAccout}});
    c.loading = loading;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::delLinkMan(QString id, LoadingWidget* loading)
{
    ServiceCall c(bt_dellinkman, "delLinkMan");
    return sendOneValue(c, "id：", "id", id, loading);
}

int NetWorkBusiness::modifyLinkMan(QString id, QString remarkName, QString userAccout, LoadingWidget* loading)
{
    ServiceCall c(bt_modifylinkman, "modifyLinkMan");
    c.startText = QString("---------modifyLinkMan请求开始(入参：id：%1-remarkName：%2-userAccout：%3)----------")
                      .arg(id, remarkName, userAccout);
    c.setJson(QJsonObject{{"id", id}, {"remarkName", remarkName}, {"addValue", userAccout}});
    c.loading = loading;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::getMyLinkManPagesBusiness(QList<LinkmanInfo>& linkmansInfos, const int& pages,
                                               const int& pageSize, LoadingWidget* loading)
{
    ServiceCall c(bt_getpagesmylinkman, "getMyLinkManPagesBusiness");
    c.startText = QString("---------getMyLinkManPagesBusiness请求开始(入参：pages：%1-pageSize：%2)----------")
                      .arg(QString::number(pages), QString::number(pageSize));
    // This list names its page "Page" and has no filter.
    c.setJson(QJsonObject{{"Page", QJsonObject{{"pageNum", pages}, {"pageSize", pageSize}}}});
    // The box stays up while the avatars are looked up, one request per contact.
    c.loading = loading;
    c.busy = ServiceCall::ShownHiddenOnFailure;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    QPointer<LoadingWidget> box(loading);
    appendRows(linkmansInfos, r.data, [this, &box](LinkmanInfo& p, const QJsonObject& o) {
        p.read(o);
        p.userId.clear();
        p.userName.clear();
        if (p.imgUrl.isEmpty())
            return;
        p.imgUrl = getFileServerUrl(p.imgUrl);
        if (p.imgUrl == QLatin1String("0") && box)
            box->hide();
    });
    if (box)
        box->hide();
    return 1;
}
