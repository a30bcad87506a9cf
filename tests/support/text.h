// UTF-8 literals in tests, UTF-16 at the boundary.
#pragma once

#include "platform/utf8_string.h"
