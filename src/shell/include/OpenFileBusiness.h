#pragma once
// Decides from a file's name alone whether it is a PDF document, a document or picture of
// another known kind, or unsupported, and hands a chosen path back from a thread of the global
// pool. Nothing is read or converted here: the workspace reports what it cannot open.

#include <QObject>
#include <QString>

class OpenFileBusiness : public QObject
{
    Q_OBJECT
public:
    // Classes returned by identifyFilefromSuffix.
    enum FileClass { Unsupported = 0, OtherKnownKind = 1, PdfDocument = 2 };

    explicit OpenFileBusiness(QObject* parent = nullptr);

    // The class of the file-name part of filepath (the file system is not looked at): ".pdf"
    // in any letter case is a PDF; ".doc", ".docx", ".xls", ".xlsx", ".ppt", ".pptx", ".png",
    // ".jpg", ".bmp", ".gif" (exactly so) are other known kinds; anything else is unsupported.
    static int identifyFilefromSuffix(const QString& filepath);

    // Emits endOpen(filepath) with the path unchanged and returns 1.
    int openFile(const QString& filepath);

    // Starts the open of filepath on the global thread pool and returns at once. The pool task
    // only hands the path back: openFile runs later on the owner's thread through a queued call,
    // and not at all when the owner has been destroyed meanwhile (a start-page dialog closed
    // right after a drop).
    static void startOpen(OpenFileBusiness* owner, const QString& filepath);

signals:
    // The path to open.
    void endOpen(const QString& filepath);
};
