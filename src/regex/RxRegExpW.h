// The engine's public header: TRxRegExp with its properties, searches, captures, replacement and
// splitting, and the exceptions ERxRegExp, ERxRegExpCompile and ERxRegExpRuntime. Programs that
// search link quillo_regex and include this header alone.
#pragma once

#include "regex/errors.h"
#include "regex/regexp.h"
