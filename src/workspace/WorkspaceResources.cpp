#include "WorkspaceResources.h"

#include <QtGlobal>

void initWorkspaceResources()
{
    static bool done = false;
    if (!done)
    {
        Q_INIT_RESOURCE(workspace);
        Q_INIT_RESOURCE(print);
        Q_INIT_RESOURCE(toolbar);
        done = true;
    }
}
