// TEMP-SHIM
#include "NetWorkBusiness.h"
QByteArray NetWorkBusiness::getFileDataById(QString id)
{
    ServiceCall c(bt_getfileurl, "getFileServerUrl");
    c.setJson(QJsonObject{{"id", id}});
    c.busy = ServiceCall::NeverShown;
    c.errorSignal = false;
    const ServiceReply r = call(c);
    const QString url = jsonText(r.dataObject(), "url");
    if (url.isEmpty())
        return QByteArray();
    ServiceCall g(bt_getfileurl, "getFileUrl");
    g.method = "GET";
    g.url = QUrl(url);
    g.setEmptyBody();
    g.busy = ServiceCall::NeverShown;
    g.errorSignal = false;
    return call(g).body;
}
