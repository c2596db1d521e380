#pragma once
// The seal-authorisation page of the user centre (page 5): the authorisations, page by page, and
// the form that grants a company's seals to a person.

#include "PendingUserPage.h"

#include <QString>
#include <QVariant>

class CUserAuthFrame : public PendingUserPage
{
    Q_OBJECT
public:
    explicit CUserAuthFrame(QWidget* parent = nullptr);
    ~CUserAuthFrame() override;

    // false: the next load fetches page 1 afresh.
    void setPageBtn(bool isPageBtn);
    // Loads page 1 of the list for the given search text (empty: no search).
    void showListInfo(QString searchStr);
    // Fills the grantor line of the form from the logged-in user.
    void showinfo();
    // Empties the form and shows the list again.
    void clearAuthCon();

signals:
    // An authorisation document to open in the workspace (a StartAuthSuccessInfo).
    void openContractAuthFile(QVariant info);
    // The title bar should show the workspace.
    void turnTitleBar();
};
