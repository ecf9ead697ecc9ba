#pragma once

#include <QString>

// The application style sheet ":/mainwindow/launcher.css" with its
// "$font-family$" placeholder replaced by fontFamily. Empty, with a warning
// in the log, when the sheet cannot be read. The resources must have been
// registered (quillmereInitUiResources()).
QString launcherStyleSheet(const QString &fontFamily);
