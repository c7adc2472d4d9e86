#include "search/TextSearcher.h"

#include "regex/regexp.h"

#include <limits>

namespace quillo::search {

namespace {

std::u16string ToU16(QStringView s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<std::size_t>(s.size()));
}

std::u16string_view ToU16View(QStringView s) {
    return {reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size())};
}

QString FromU16(const std::u16string& s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

// The engine counts in int, 1-based.
int EngineOffset(qsizetype pos) {
    if (pos + 1 > std::numeric_limits<int>::max()) {
        throw ERxRegExpRuntime(u"Text too long");
    }
    return static_cast<int>(pos + 1);
}

TTextMatch LastMatch(const TRxRegExp& rx) {
    return {qsizetype{rx.MatchPos(0)} - 1, qsizetype{rx.MatchLen(0)}};
}

bool IsAsciiAlnum(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

} // namespace

QString EscapeLiteral(const QString& text) {
    QString out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        // A backslash before any ASCII character that is not a letter or digit
        // stands for that character; letters and others stand for themselves.
        if (c.unicode() < 0x80 && !IsAsciiAlnum(c)) {
            out += QLatin1Char('\\');
        }
        out += c;
    }
    return out;
}

TTextSearcher::TTextSearcher(const QString& pattern, bool useEngine, bool matchCase)
    : FPattern(pattern), FTemplate(useEngine) {
    if (!useEngine && matchCase) {
        return;
    }
    FRegExp = std::make_unique<TRxRegExp>();
    FRegExp->SetMultiLine(true);
    FRegExp->SetIgnoreCase(!matchCase);
    // No line-end string: a search then starts exactly at the offset given,
    // also on a line break.
    FRegExp->SetEOL(std::u16string());
    FRegExp->SetExpression(ToU16(useEngine ? pattern : EscapeLiteral(pattern)));
    FRegExp->Compile();
}

TTextSearcher::~TTextSearcher() = default;

const std::u16string& TTextSearcher::DecodedTemplate(const QString& replacement) {
    // A line-by-line Replace All asks once a line: the template is read once.
    if (!FDecoded || FDecodedFrom != replacement) {
        FDecoded = FRegExp->DecodeTemplate(ToU16(replacement));
        FDecodedFrom = replacement;
    }
    return *FDecoded;
}

TTextMatch TTextSearcher::Find(QStringView text, qsizetype from, TEmptyMatch empty) {
    if (FPattern.isEmpty() || from > text.size()) {
        return {};
    }
    if (!FRegExp) {
        return {text.indexOf(FPattern, from), FPattern.size()};
    }
    TRxRegExp& rx = *FRegExp;
    rx.SetInputView(ToU16View(text));
    bool found = rx.ExecPos(EngineOffset(from), 0);
    while (found) {
        const TTextMatch m = LastMatch(rx);
        const bool skip = m.Len == 0 && (empty == TEmptyMatch::emSkipped ||
                                         (empty == TEmptyMatch::emSkippedAtStart && m.Pos == from));
        if (!skip) {
            return m;
        }
        found = rx.ExecNext(); // one unit further after an empty match
    }
    return {};
}

QString TTextSearcher::Expand(QStringView text, const TTextMatch& match,
                              const QString& replacement) {
    if (!FTemplate) {
        return replacement;
    }
    // Replacing the first match from the match's own start in the whole text
    // lets the template see the real context ($`, $', look-arounds); only the
    // match's own part of the result is built.
    TRxRegExp& rx = *FRegExp;
    rx.SetInputView(ToU16View(text));
    bool found = rx.ExecPos(EngineOffset(match.Pos), 0);
    while (found && rx.MatchLen(0) == 0) {
        found = rx.ExecNext();
    }
    if (!found) {
        return QString();
    }
    return FromU16(rx.Substitute(DecodedTemplate(replacement)));
}

TReplaceResult TTextSearcher::ReplaceAll(QStringView text, qsizetype from,
                                         const QString& replacement) {
    TReplaceResult result;
    if (FPattern.isEmpty() || from > text.size()) {
        result.Text = text.toString();
        return result;
    }
    // One pass over the text where it lies, building the result as it goes.
    const std::u16string decoded = FTemplate ? DecodedTemplate(replacement) : std::u16string();
    auto next = [&, started = false](qsizetype last) mutable -> TTextMatch {
        if (!FRegExp) {
            const qsizetype pos = text.indexOf(FPattern, last);
            return {pos, FPattern.size()};
        }
        bool found = started ? FRegExp->ExecNext() : FRegExp->ExecPos(EngineOffset(from), 0);
        started = true;
        while (found && FRegExp->MatchLen(0) == 0) {
            found = FRegExp->ExecNext();
        }
        return found ? LastMatch(*FRegExp) : TTextMatch{};
    };
    if (FRegExp) {
        FRegExp->SetInputView(ToU16View(text));
    }
    result.Text.reserve(text.size());
    qsizetype last = 0;
    for (TTextMatch m = next(from); m.Found(); m = next(last)) {
        result.Text += text.mid(last, m.Pos - last);
        if (FTemplate) {
            result.Text += FromU16(FRegExp->Substitute(decoded));
        } else {
            result.Text += replacement;
        }
        result.CaretAfter = result.Text.size();
        ++result.Count;
        last = m.Pos + m.Len;
    }
    result.Text += text.mid(last);
    return result;
}

} // namespace quillo::search
