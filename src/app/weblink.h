#pragma once

#include <QUrl>

// Opens a web page in the user's browser. Every address that comes from a
// server (banners, news, event pages, update pages, home links) goes through
// here: only absolute http and https addresses with a host are opened, so a
// server cannot make the launcher start a local program or open a local file.
// False (and a log line) for a refused address or when the desktop cannot open it.
bool openWebLink(const QUrl &url);

// True when openWebLink() would hand `url` to the browser.
bool isWebLink(const QUrl &url);
