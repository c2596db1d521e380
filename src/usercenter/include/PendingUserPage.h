#pragma once
// The frame of a user-centre page whose content is still to be built: an empty white page that
// keeps, in order, the reload and reset calls the container made on it, so that the container's
// wiring can be checked before the page has content of its own.

#include <QFrame>
#include <QString>
#include <QStringList>

class PendingUserPage : public QFrame
{
    Q_OBJECT
public:
    explicit PendingUserPage(QWidget* parent = nullptr);
    ~PendingUserPage() override;

    // The calls received so far, e.g. "setPageBtn(false)", "showInfo()".
    QStringList calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); }

protected:
    void record(const QString& call) { m_calls << call; }

private:
    QStringList m_calls;
};
