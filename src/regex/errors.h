// The engine's exceptions. A message is kept as UTF-16 (it quotes the expression); what()
// gives it in UTF-8.
#pragma once

#include <exception>
#include <string>
#include <string_view>

class ERxRegExp : public std::exception {
public:
    explicit ERxRegExp(std::u16string message);
    const std::u16string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FWhat.c_str(); }

private:
    std::u16string FMessage;
    std::string FWhat;
};

class ERxRegExpRuntime : public ERxRegExp {
public:
    using ERxRegExp::ERxRegExp;
};

class ERxRegExpCompile : public ERxRegExp {
public:
    using ERxRegExp::ERxRegExp;
    int ErrorPos = 0;
};

// Replaces the first %s or %d of format by arg.
std::u16string FormatMessage(std::u16string_view format, std::u16string_view arg);
std::string ToUtf8(std::u16string_view s);
std::u16string FromUtf8(std::string_view s);
