// Who the plug-in is: shared by the descriptor, the load message and the version resource.
#pragma once

#define SUMBRA_NAME_TEXT "Sumbra"
#define SUMBRA_AUTHOR_TEXT "Tarrow"
#define SUMBRA_VERSION_MAJOR 1
#define SUMBRA_VERSION_MINOR 0
#define SUMBRA_VERSION_BUILD 1
