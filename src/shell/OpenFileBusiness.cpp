#include "OpenFileBusiness.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

OpenFileBusiness::OpenFileBusiness(QObject* parent) : QObject(parent)
{
}

int OpenFileBusiness::identifyFilefromSuffix(const QString& filepath)
{
    const QString name = QFileInfo(filepath).fileName();
    if (name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return PdfDocument;
    static const char* const otherKinds[] = {".doc", ".docx", ".xls", ".xlsx", ".ppt",
                                             ".pptx", ".png", ".jpg", ".bmp", ".gif"};
    for (const char* ending : otherKinds)
    {
        if (name.endsWith(QLatin1String(ending), Qt::CaseSensitive))
            return OtherKnownKind;
    }
    return Unsupported;
}

int OpenFileBusiness::openFile(const QString& filepath)
{
    emit endOpen(filepath);
    return 1;
}

void OpenFileBusiness::startOpen(OpenFileBusiness* owner, const QString& filepath)
{
    // The guard is made here, on the owner's thread, and only read there again: the pool task
    // never touches the owner, it posts the call back to the owner's thread.
    QPointer<OpenFileBusiness> guard(owner);
    QObject* home = QCoreApplication::instance();
    QtConcurrent::run(QThreadPool::globalInstance(), [guard, home, filepath] {
        QMetaObject::invokeMethod(
            home,
            [guard, filepath] {
                if (guard)
                    guard->openFile(filepath);
            },
            Qt::QueuedConnection);
    });
}
