#pragma once
// The look of the toolkit's own widgets (edit boxes, lists, menu bars, scroll bars): the
// platform's style, with the few icons a window asks for while it is built drawn in code.
// Reading those icons from the style's image files would load every image-format plug-in
// of the toolkit on the way to the first paint of the main window.

// Installs the style (once; later calls do nothing). Call after the application object
// exists and before the first window is built.
void InstallToolkitStyle();
