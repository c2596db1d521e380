#pragma once
// Pictures and small helpers shared by the seal-authorisation page and its two pickers.

#include <QString>

// Makes the pictures of the authorisation screens available (once).
void initUserAuthResources();
// The resource path of one of those pictures, e.g. "search.svg".
QString userAuthPicture(const char* name);
