#include <gtest/gtest.h>
#include <openssl/crypto.h>

#include "SanitizerDefaults.inc"

int main(int argc, char** argv)
{
    // OpenSSL is not torn down at exit: threads that used it (the toolkit's network threads) may
    // still be ending then, and free their OpenSSL state as they end (as in the application).
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
