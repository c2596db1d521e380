#include "GlobalHeader.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <openssl/crypto.h>

#include <optional>

#include "SanitizerDefaults.inc"

int main(int argc, char** argv)
{
    // OpenSSL is not torn down at exit: threads that used it (the toolkit's network threads) may
    // still be ending then, and free their OpenSSL state as they end (as in the application).
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
    // Test discovery and ctest run the binaries without a display: use the offscreen platform
    // unless the caller chose one (the xvfb entries ask for xcb).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No desktop session here: without a session-bus address the toolkit's D-Bus code would try
    // to start a bus (dbus-launch), and libdbus leaks its read buffer when that fails.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    ::testing::InitGoogleTest(&argc, argv);
    std::optional<QApplication> app;
    {
        // The platform plugin never releases the screens and cursor it makes here.
        ToolkitSetUpLeaksIgnored toolkitSetUp;
        app.emplace(argc, argv);
    }
    initOrvessaResources();
    registerSharedMetaTypes();
    return RUN_ALL_TESTS();
}
