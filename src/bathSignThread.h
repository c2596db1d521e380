#pragma once
// The worker of a batch or cross-page signing run: adds the seal fields to a second engine
// opened on the document, arms one signature value shared by all of them and saves the result
// into a new file, while the view waits in its progress dialog.

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <QThread>

class PdfEngine;

class bathSignThread : public QThread
{
    Q_OBJECT
public:
    explicit bathSignThread(QObject* parent = nullptr);
    ~bathSignThread() override;

signals:
    void resultReady(int page, int total);
    void sigStartSave();
    void sigErrorCode(int code);
    void executeresult(int code, QString path);
    void sendPageLists(QList<int> pages);

protected:
    void run() override;
};
