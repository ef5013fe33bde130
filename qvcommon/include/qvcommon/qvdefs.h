#pragma once
// Shared by every framework header: the export marker and the Windows types.
#include "win32/types.h"

#include <cstdint>

// Marks the framework's exported classes and functions; everything else in
// libQVCommon stays hidden.
#define QVCOMMON_API __attribute__((visibility("default")))
