#pragma once
// Greek for the toolkit's own texts: the labels and buttons of the file, input, colour and
// font dialogs and of the standard buttons (the system has no Greek catalogue for them).
// Installed by the application at start, whatever the language of the environment; texts
// of our own windows are not touched.

#include <string>

// Installs the translation (once; later calls do nothing).
void InstallToolkitTranslations();
// The Greek of a toolkit text in its context ("QFileDialog", "QPlatformTheme", ...), or ""
// when there is none.
std::string ToolkitTranslation(const std::string& context, const std::string& source);
