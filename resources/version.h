#pragma once
// The version of both files, KOVAX.exe and kvgui.dll: the version resource of
// each and the About box's version line. Keep the numbers and the text alike.
#define KV_VERSION_MAJOR 1
#define KV_VERSION_MINOR 0
#define KV_VERSION_PATCH 0
#define KV_VERSION_STRING "1.0.0"
