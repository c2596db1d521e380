#include "ProblemFeedback.h"

ProblemFeedback::ProblemFeedback(QWidget* parent)
    : PendingUserPage(parent)
{
}

ProblemFeedback::~ProblemFeedback() = default;
