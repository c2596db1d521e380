#include "ShellResources.h"

#include <QtGlobal>

void initShellResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(shell);
        Q_INIT_RESOURCE(home);
        done = true;
    }
}
