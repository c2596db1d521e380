#include "GlobalHeader.h"
#include "Orvessa.h"
#include "RenderCache.h"
#include "RegeditSettings.h"
#include "StyleSheet.h"

#include <QApplication>
#include <QFont>
#include <QTranslator>

#include <openssl/crypto.h>

int main(int argc, char* argv[])
{
    // OpenSSL is not torn down at exit (this first call of the process decides it). The toolkit's
    // network threads do TLS and may still be ending then: QThread::wait() returns before a
    // thread's thread-specific data is released, and OpenSSL frees its per-thread state there.
    // A teardown at exit would race with those threads and leave their state behind.
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
    // Nothing that needs the display or the application object is built before this point.
    QApplication app(argc, argv);
    initOrvessaResources();
    registerSharedMetaTypes();

    const QString documentPath = startupDocumentPath(QCoreApplication::arguments());
    configPath = applicationConfigPath();
    initViewInfo();

    // The one render cache of every page view, built now that the display is known. Declared
    // after the application object, it goes before it: its render thread is stopped and joined
    // first.
    RenderCache renderCache;

    QFont font("Microsoft YaHei");
    QApplication::setFont(font);
    app.setStyleSheet(style());

    QTranslator translator;
    translator.load(":/Resources/translation/qt_zh_CN.qm", QString(), QString(), QString());
    app.installTranslator(&translator);

    int code = 0;
    {
        Orvessa window;
        // Shown first, so that a message about the document (missing, not a PDF, damaged, locked
        // by a password) appears over the window instead of on the bare desktop.
        window.showAndOpen(documentPath);
        code = app.exec();
    }
    // Singletons that hold toolkit objects go while the application object still exists.
    RegeditSettings::release();
    return code;
}
