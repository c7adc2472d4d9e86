// Helpers shared by the engine's tests: UTF-8 in, UTF-8 out.
#pragma once

#include "regex/options.h"

#include <string>

std::u16string U(const std::string& utf8);
// The tree of an expression as DumpTree renders it; the error message when it does not compile.
std::string Tree(const std::string& expr, TREOptions options = 0);
// The compile error of an expression; empty when it compiles.
std::string CompileError(const std::string& expr, TREOptions options = 0);
