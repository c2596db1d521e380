// What the workspace tests share: the workspace hosted on its own over the process's render
// cache, documents written by the tests, and waits on what the workspace does.
#pragma once

#include "SignedPdf.h"
#include "SigningTestSupport.h"

#include "DocTabWidget.h"
#include "LeftToolBar.h"
#include "MenuBar.h"
#include "RightToolBar.h"
#include "SignPage.h"
#include "SignParamBusiness.h"
#include "SignatureListWidget.h"
#include "SplitterFrame.h"
#include "ThumbnailWidget.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QListWidget>
#include <QProgressBar>
#include <QLabel>

namespace workspacetest {

// The process's one render cache (the workspace reaches it through RenderCache::instance()).
inline RenderCache* cache()
{
    return canvastest::sharedCache();
}

// Pages of 400 x 500 points, each with its number as text.
inline std::string pages(int n)
{
    return signingtest::pages(n);
}

// One page with a text form field (a form, but no signature field).
inline std::string textFieldDocument()
{
    fixture::PdfBuilder b;
    b.add("<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [4 0 R] >> >>");
    b.add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 400 500] /Annots [4 0 R] >>");
    b.add("<< /Type /Annot /Subtype /Widget /FT /Tx /T (Name) /Rect [50 50 250 80] /P 3 0 R /F 4 >>");
    return b.build(1);
}

// A document whose cross-reference offset is wrong: the library would repair it, which the
// engine refuses.
inline std::string brokenXrefDocument()
{
    std::string doc = pages(1);
    const size_t at = doc.rfind("startxref\n") + 10;
    doc.replace(at, doc.find('\n', at) - at, "12");
    return doc;
}

// A seed of files in a folder of the test's own, with the settings kept there too.
class WorkspaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        cache();
    }

    QString write(const QString& name, const std::string& bytes)
    {
        const QString path = dir.filePath(name);
        fixture::writeFile(path.toStdString(), bytes);
        return path;
    }
    static std::string bytesOf(const QString& path) { return fixture::readFile(path.toStdString()); }

    QTemporaryDir dir;
    ScopedSettingsLocation settings{dir.filePath(QStringLiteral("settings"))};
    ScopedScreenZoom zoom{1.0f};
    ScopedUiDurationScale fast{0.0};
    QuickMessageBoxSpy toasts;
};

// Waits until the tab's verification pass has ended (bounded).
inline bool waitVerified(SplitterFrame* frame, int boundMs = 20000)
{
    SignatureListWidget* list = frame->leftToolBar()->signatureList();
    return waitUntil([&] { return !list->isVerifying(); }, boundMs);
}

// Processes deferred deletions until the object is gone (bounded); true when it went.
template <class T>
bool waitDeleted(const QPointer<T>& p, int boundMs = 5000)
{
    return waitUntil(
        [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return p.isNull();
        },
        boundMs);
}

// Whether a list row shows the picture at path.
inline bool rowShows(QListWidgetItem* row, const QString& path)
{
    const QSize s(16, 16);
    return row->icon().pixmap(s).toImage() == QIcon(path).pixmap(s).toImage();
}

} // namespace workspacetest
