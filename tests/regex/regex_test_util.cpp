#include "regex_test_util.h"

#include "regex/errors.h"
#include "regex/regexp.h"
#include "regex/tree_dump.h"

std::u16string U(const std::string& utf8) {
    return FromUtf8(utf8);
}

std::string Tree(const std::string& expr, TREOptions options) {
    TRxRegExp re;
    re.SetOptions(options);
    re.SetExpression(U(expr));
    try {
        re.Compile();
    } catch (const ERxRegExpCompile& e) {
        return std::string("error: ") + e.what();
    }
    return DumpTree(re.FCode);
}

std::string CompileError(const std::string& expr, TREOptions options) {
    TRxRegExp re;
    re.SetOptions(options);
    re.SetExpression(U(expr));
    try {
        re.Compile();
    } catch (const ERxRegExpCompile& e) {
        return e.what();
    }
    return {};
}
