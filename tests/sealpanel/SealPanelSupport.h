// What the seal-panel tests share: documents, the workspace with a document open, the rows of
// the panel's lists and a record of the signals the panel sends to the canvas.
#pragma once

#include "SigningTestSupport.h"

#include "Canvas.h"
#include "DeviceBussiness.h"
#include "MenuBar.h"
#include "PdfEngine.h"
#include "RightToolBar.h"
#include "ShowSealCellWidget.h"
#include "SignPage.h"
#include "SplitterFrame.h"
#include "StandinOpsAccount.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>

namespace sealpanel {

constexpr const char* kCompany = "13900000000";
constexpr const char* kPerson = "13800000000";

// n pages of 300 x 400 points, each with its number as text.
inline std::string pagesDocument(int n)
{
    std::vector<fixture::PageSpec> pages;
    for (int i = 1; i <= n; ++i) {
        fixture::PageSpec p;
        p.mediabox = "[0 0 300 400]";
        p.content = "BT /F1 12 Tf 20 20 Td (Page " + std::to_string(i) + ") Tj ET";
        pages.push_back(p);
    }
    return fixture::simpleDocument(pages);
}

// The names of the rows of a list, in order.
inline QStringList rowNames(QListWidget* list)
{
    QStringList names;
    for (ShowSealCellWidget* row : RightToolBar::rows(list))
        names << row->titler();
    return names;
}

inline ShowSealCellWidget* rowWithId(QListWidget* list, const QString& id)
{
    for (ShowSealCellWidget* row : RightToolBar::rows(list))
        if (row->id() == id)
            return row;
    return nullptr;
}

// Every option signal of a panel, in the order sent, as "name(args)".
struct SignalLog {
    explicit SignalLog(RightToolBar* p)
    {
        QObject::connect(p, &RightToolBar::sendSignMode, [this](int v) { log << QString("sendSignMode(%1)").arg(v); });
        QObject::connect(p, &RightToolBar::sendSignPageMode,
                         [this](int v) { log << QString("sendSignPageMode(%1)").arg(v); });
        QObject::connect(p, &RightToolBar::qfStyleId, [this](int v) { log << QString("qfStyleId(%1)").arg(v); });
        QObject::connect(p, &RightToolBar::allPagesCheck,
                         [this](bool v) { log << QString("allPagesCheck(%1)").arg(v ? "true" : "false"); });
        QObject::connect(p, &RightToolBar::setQfScale, [this](int v) { log << QString("setQfScale(%1)").arg(v); });
        QObject::connect(p, &RightToolBar::previewSign,
                         [this](int a, int b, int c, int d, int e, bool f, int g, int h) {
                             log << QString("previewSign(%1,%2,%3,%4,%5,%6,%7,%8)")
                                        .arg(a).arg(b).arg(c).arg(d).arg(e).arg(f ? "true" : "false").arg(g).arg(h);
                         });
        QObject::connect(p, &RightToolBar::setSealState_Signal, [this](int m, QString id, int auth) {
            log << QString("setSealState_Signal(%1,%2,%3)").arg(m).arg(id).arg(auth);
        });
    }
    QStringList take()
    {
        QStringList out = log;
        log.clear();
        return out;
    }
    QStringList log;
};

} // namespace sealpanel
