#pragma once

// Finding and replacing in a text held as a string (or a view of the
// document's storage), literally or with the
// engine.  A match is always looked for in the whole string, starting at a
// given position, so that look-behinds, \b and ^ see the text before it.
// Throws the engine's ERxRegExp errors.

#include <QString>

#include <memory>
#include <optional>
#include <string>

class TRxRegExp;

namespace quillo::search {

struct TTextMatch {
    qsizetype Pos = -1; // 0-based; -1 when nothing was found
    qsizetype Len = 0;
    bool Found() const { return Pos >= 0; }
};

struct TReplaceResult {
    QString Text;
    qsizetype Count = 0;       // replacements made
    qsizetype CaretAfter = -1; // end of the last replacement in Text; -1 when none
};

// How a match of length 0 is treated.
enum class TEmptyMatch {
    emCounts,         // it is a match
    emSkipped,        // it counts as no match at its position; the search moves on
    emSkippedAtStart, // as emCounts, except one at the start position itself
};

class TTextSearcher {
public:
    // useEngine false: the pattern is plain text (a case-blind search still
    // uses the engine, for its case folding).
    TTextSearcher(const QString& pattern, bool useEngine, bool matchCase);
    ~TTextSearcher();
    TTextSearcher(const TTextSearcher&) = delete;
    TTextSearcher& operator=(const TTextSearcher&) = delete;

    // First match that starts at or after `from`.
    TTextMatch Find(QStringView text, qsizetype from, TEmptyMatch empty);
    // What `replacement` gives for `match`, which Find returned for `text`
    // with a non-empty length: an engine template, or plain text otherwise.
    QString Expand(QStringView text, const TTextMatch& match, const QString& replacement);
    // Replaces every non-empty match that starts at or after `from`, in one pass.
    TReplaceResult ReplaceAll(QStringView text, qsizetype from, const QString& replacement);

private:
    QString FPattern;
    bool FTemplate;                         // the replacement is an engine template
    std::optional<std::u16string> FDecoded; // the template last read, and its source
    QString FDecodedFrom;
    const std::u16string& DecodedTemplate(const QString& replacement);
    std::unique_ptr<TRxRegExp> FRegExp; // null: exact literal search
};

// The pattern that makes the engine match `text` as it stands.
QString EscapeLiteral(const QString& text);

} // namespace quillo::search
