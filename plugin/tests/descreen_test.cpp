#include "filtertest.h"
#include "lumivexdescreen.h"

#include <gtest/gtest.h>
