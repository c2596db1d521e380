#include "GlobalHeader.h"

#include <QApplication>
#include <gtest/gtest.h>

#include "SanitizerDefaults.inc"

int main(int argc, char** argv)
{
    // Test discovery and ctest run the binaries without a display: use the offscreen platform
    // unless the caller chose one (the xvfb entries ask for xcb).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    initOrvessaResources();
    registerSharedMetaTypes();
    return RUN_ALL_TESTS();
}
