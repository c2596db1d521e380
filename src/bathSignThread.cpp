#include "bathSignThread.h"

bathSignThread::bathSignThread(QObject* parent) : QThread(parent) {}

bathSignThread::~bathSignThread() {}

void bathSignThread::run() {}
