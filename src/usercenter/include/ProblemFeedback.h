#pragma once
// The feedback page of the user centre (page 6).

#include "PendingUserPage.h"

class ProblemFeedback : public PendingUserPage
{
    Q_OBJECT
public:
    explicit ProblemFeedback(QWidget* parent = nullptr);
    ~ProblemFeedback() override;
};
