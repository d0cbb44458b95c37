// The one Qt application object of the process. Fonts, pixmaps and widgets need
// it; library code that is used before the program makes its application (tests,
// tools) calls EnsureQtApplication first. Used inside platform/ only.
#pragma once

// Makes the application object when none exists yet. Without a display it runs
// on the offscreen platform, so that fonts and painting work headless.
void EnsureQtApplication();
