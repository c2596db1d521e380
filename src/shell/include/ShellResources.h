#pragma once
// The shell's and the home page's pictures live in their own resource files, linked statically:
// every widget that shows one makes sure they are registered.
void initShellResources();
