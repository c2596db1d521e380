#pragma once
// Small pieces shared by the packages and orders screens of the user centre.

#include <QtGlobal>

// Makes the pictures of these screens (Resources/userbusiness.qrc) available, once.
inline void initUserBusinessResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(userbusiness);
        done = true;
    }
}
