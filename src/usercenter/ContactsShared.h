#pragma once
// Helpers shared by the contacts page and its dialogs, the add-seal wizard and the handwriting
// pad.

#include <QString>

class QPushButton;

// Makes their pictures available (once; the library is static, so its resources are registered
// on first use).
void initContactsPictures();

// The dialogs' buttons: the main action filled green, the others white with a green border.
void styleMainButton(QPushButton* button);
void styleOtherButton(QPushButton* button);
