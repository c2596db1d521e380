#pragma once
// The home page's pictures live in their own resource file, linked statically: every widget that
// shows one makes sure it is registered.
void initShellResources();
