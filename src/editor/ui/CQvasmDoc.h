#pragma once

// The document moved to the editor's core; this name stays for the files that still include it.
#include "editor/CQvasmDoc.h"
