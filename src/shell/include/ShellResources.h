#pragma once
// The shell's pictures live in its own resource file, linked statically: every widget that
// shows one makes sure it is registered.
void initShellResources();
