#pragma once
// The document tabs of the signing workspace: one tab per open document, whose page is the
// document's frame. An add button sits at the right end of the tab row; each tab shows an icon
// of its kind (a local file or a cloud document); all tabs share the row's width equally, with
// elided titles when narrow; each tab carries its document's contract parameters as tab data.

#include <QTabWidget>

class QPushButton;
class SignParamBusiness;

class DocTabWidget : public QTabWidget
{
    Q_OBJECT
public:
    enum file_type { file_local = 0, file_cloud = 1 };

    explicit DocTabWidget(QWidget* parent = nullptr);

    // Appends a tab for widget and makes it current. Its key is fileName for a local file and
    // fileID for a cloud document.
    void addTab(QWidget* widget, DocTabWidget::file_type type, const QString& fileName, const QString& fileID);
    // Closes the page of tab index and removes the tab. Unless bReOpen, closing the only tab
    // first emits closeLastTab().
    void closeIndexTab(int index, bool bReOpen);
    void setTabPixmap(int index, DocTabWidget::file_type ft);
    // Places the add button and shares the width among the tabs.
    void resizeTabBar();

    // The widget that holds the tabs' pages. A page made with it as parent is not moved when
    // its tab is added: moving a page under another parent restyles every widget in it.
    QWidget* pageHost() const;
    // The contract parameters of tab index (null when it carries none).
    SignParamBusiness* param(int index) const;
    QPushButton* addButton() const { return _addBtn; }

signals:
    void add();
    void closeLastTab();
    // A tab closed; its key (a contract id for a contract tab).
    void deleteDraftsList(QString contractId);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int m_addsize = 0;
    QPushButton* _addBtn = nullptr;
};
