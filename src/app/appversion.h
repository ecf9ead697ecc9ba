#pragma once

// The launcher's version as built ("2.8.0"). Defined in one small generated
// source of its own, so that a launcher executable of another version links
// the same libraries with another definition (see src/CMakeLists.txt).
const char *quillmereBuildVersion();
