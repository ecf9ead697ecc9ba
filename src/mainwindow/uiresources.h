#pragma once

#include <QString>

// Registers the user interface's compiled resources: the pictures drawn at
// build time, the style sheets and the Korean edition's font. The UI library
// is static, so nothing registers them before this is called; calling it
// again does no harm.
void initUiResources();

// The application style sheet ":/mainwindow/launcher.css" with its
// "$font-family$" placeholder replaced by fontFamily. Empty, with a warning
// in the log, when the sheet cannot be read.
QString launcherStyleSheet(const QString &fontFamily);
