#pragma once
// Small helpers shared by the login window and the user-centre screens.

#include <QString>
#include <QUrl>

// A design size (1024 x 768 screen) in pixels at the current scale, truncated.
int designPx(double v);
// Makes the pictures of the login window and the user centre available (once).
void initUserCenterResources();
// The company's web site, opened by "进入官网"; the about-us page lies under it.
QString companySiteUrl();
// The registration page: the Base64 value of "addressUrl/reg" in config.ini, decoded and cut at
// its first zero byte; empty when the key is missing or empty.
QUrl registrationUrl();
