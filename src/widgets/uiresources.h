#pragma once

// Registers the user interface's resources (pictures, style sheets, fonts, QML
// pages and the compiled translation catalogues) that live in the static UI
// library. Call once at start, before the translator is loaded; calling it
// again does no harm.
void quillmereInitUiResources();
