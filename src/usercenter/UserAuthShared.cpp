#include "UserAuthShared.h"

static void initUserAuthQrc()
{
    Q_INIT_RESOURCE(userauth);
}

void initUserAuthResources()
{
    static bool done = false;
    if (!done) {
        initUserAuthQrc();
        done = true;
    }
}

QString userAuthPicture(const char* name)
{
    return QStringLiteral(":/userauth/") + QLatin1String(name);
}
