#include "document/LineIndex.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <stdexcept>
#include <thread>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quillo::document {

namespace {

// Blocks split above kMaxLines and merge below kMinLines; a split or a fresh
// build leaves them at most kFillLines full, so that typing line breaks does
// not split again at once.
constexpr std::size_t kMaxLines = 512;
constexpr std::size_t kFillLines = 384;
constexpr std::size_t kMinLines = 64;
// Below this many units one thread scans faster than two can start.
constexpr qsizetype kParallelUnits = qsizetype{1} << 20;

void CheckLineLength(qsizetype length) {
    if (length > qsizetype{std::numeric_limits<std::uint32_t>::max()}) {
        throw std::length_error("line longer than 4 Gi units");
    }
}

template <class F> void ForEachLf(const char16_t* text, qsizetype begin, qsizetype end, F&& f) {
    qsizetype i = begin;
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi16(u'\n');
    for (; i + 16 <= end; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 8));
        const __m128i hits = _mm_packs_epi16(_mm_cmpeq_epi16(a, lf), _mm_cmpeq_epi16(b, lf));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        while (mask != 0) {
            f(i + __builtin_ctz(mask));
            mask &= mask - 1;
        }
    }
#endif
    for (; i < end; ++i) {
        if (text[i] == u'\n') {
            f(i);
        }
    }
}

// Lengths of the LF-ended pieces of [begin, end), and what follows the last LF.
struct TScan {
    std::vector<std::uint32_t> Lengths;
    qsizetype Tail = 0;
};

TScan ScanLines(const char16_t* text, qsizetype begin, qsizetype end) {
    TScan scan;
    // A guess from typical line lengths saves most regrowth on big texts.
    scan.Lengths.reserve(static_cast<std::size_t>((end - begin) / 64 + 16));
    qsizetype last = begin;
    ForEachLf(text, begin, end, [&](qsizetype lf) {
        CheckLineLength(lf + 1 - last);
        scan.Lengths.push_back(static_cast<std::uint32_t>(lf + 1 - last));
        last = lf + 1;
    });
    scan.Tail = end - last;
    return scan;
}

qsizetype SumOf(const std::uint32_t* begin, const std::uint32_t* end) {
    qsizetype sum = 0;
    for (; begin != end; ++begin) {
        sum += *begin;
    }
    return sum;
}

} // namespace

TLineIndex::TLineIndex() {
    Build(nullptr, 0);
}

TLineIndex::TBlock TLineIndex::NewBlock() {
    TBlock block;
    block.reserve(kMaxLines);
    return block;
}

void TLineIndex::Build(const char16_t* text, qsizetype length, bool parallel) {
    std::vector<std::uint32_t> lengths;
    if (length < kParallelUnits || !parallel) {
        TScan scan = ScanLines(text, 0, length);
        CheckLineLength(scan.Tail);
        lengths = std::move(scan.Lengths);
        lengths.push_back(static_cast<std::uint32_t>(scan.Tail));
    } else {
        const qsizetype middle = length / 2;
        TScan second;
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                second = ScanLines(text, middle, length);
            } catch (...) {
                failure = std::current_exception();
            }
        });
        TScan first;
        try {
            first = ScanLines(text, 0, middle);
        } catch (...) {
            worker.join();
            throw;
        }
        worker.join();
        if (failure) {
            std::rethrow_exception(failure);
        }
        // The line that crosses the middle is the first tail plus the second's first piece.
        lengths = std::move(first.Lengths);
        lengths.reserve(lengths.size() + second.Lengths.size() + 1);
        if (second.Lengths.empty()) {
            CheckLineLength(first.Tail + second.Tail);
            lengths.push_back(static_cast<std::uint32_t>(first.Tail + second.Tail));
        } else {
            CheckLineLength(first.Tail + second.Lengths.front());
            lengths.push_back(static_cast<std::uint32_t>(first.Tail + second.Lengths.front()));
            lengths.insert(lengths.end(), second.Lengths.begin() + 1, second.Lengths.end());
            CheckLineLength(second.Tail);
            lengths.push_back(static_cast<std::uint32_t>(second.Tail));
        }
    }
    FBlocks.clear();
    FBlockUnits.clear();
    SetBlocks(0, 0, lengths);
}

void TLineIndex::SetBlocks(std::size_t from, std::size_t to,
                           const std::vector<std::uint32_t>& lengths) {
    const std::size_t count =
        std::max<std::size_t>(1, (lengths.size() + kFillLines - 1) / kFillLines);
    std::vector<TBlock> blocks(count);
    std::vector<qsizetype> units(count);
    const std::size_t base = lengths.size() / count;
    const std::size_t extra = lengths.size() % count;
    std::size_t at = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t n = base + (i < extra ? 1 : 0);
        blocks[i] = NewBlock();
        blocks[i].assign(lengths.begin() + at, lengths.begin() + at + n);
        units[i] = SumOf(blocks[i].data(), blocks[i].data() + n);
        at += n;
    }
    FBlocks.erase(FBlocks.begin() + from, FBlocks.begin() + to);
    FBlocks.insert(FBlocks.begin() + from, std::make_move_iterator(blocks.begin()),
                   std::make_move_iterator(blocks.end()));
    FBlockUnits.erase(FBlockUnits.begin() + from, FBlockUnits.begin() + to);
    FBlockUnits.insert(FBlockUnits.begin() + from, units.begin(), units.end());
    RebuildTrees();
}

void TLineIndex::RebuildTrees() {
    const std::size_t n = FBlocks.size();
    FTreeUnits.assign(n + 1, 0);
    FTreeLines.assign(n + 1, 0);
    FTotalUnits = 0;
    FTotalLines = 0;
    for (std::size_t i = 1; i <= n; ++i) {
        FTreeUnits[i] += FBlockUnits[i - 1];
        FTreeLines[i] += static_cast<qsizetype>(FBlocks[i - 1].size());
        FTotalUnits += FBlockUnits[i - 1];
        FTotalLines += static_cast<qsizetype>(FBlocks[i - 1].size());
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= n) {
            FTreeUnits[parent] += FTreeUnits[i];
            FTreeLines[parent] += FTreeLines[i];
        }
    }
    FTopBit = 1;
    while (FTopBit * 2 <= n) {
        FTopBit *= 2;
    }
}

void TLineIndex::AddToTree(std::size_t block, qsizetype units, qsizetype lines) {
    const std::size_t n = FBlocks.size();
    for (std::size_t i = block + 1; i <= n; i += i & (~i + 1)) {
        FTreeUnits[i] += units;
        FTreeLines[i] += lines;
    }
    FTotalUnits += units;
    FTotalLines += lines;
}

TLineIndex::TLoc TLineIndex::LocateLine(qsizetype line) const {
    const std::size_t n = FBlocks.size();
    std::size_t node = 0;
    qsizetype rest = line;
    qsizetype units = 0;
    for (std::size_t step = FTopBit; step != 0; step >>= 1) {
        if (node + step <= n && FTreeLines[node + step] <= rest) {
            node += step;
            rest -= FTreeLines[node];
            units += FTreeUnits[node];
        }
    }
    const TBlock& block = FBlocks[node];
    const auto index = static_cast<std::size_t>(rest);
    // Sum from whichever end of the block is nearer.
    if (index <= block.size() / 2) {
        units += SumOf(block.data(), block.data() + index);
    } else {
        units += FBlockUnits[node] - SumOf(block.data() + index, block.data() + block.size());
    }
    return {node, index, line, units};
}

TLineIndex::TLoc TLineIndex::LocatePos(qsizetype pos) const {
    if (pos >= FTotalUnits) {
        const std::size_t last = FBlocks.size() - 1;
        const std::size_t index = FBlocks[last].size() - 1;
        return {last, index, FTotalLines - 1, FTotalUnits - FBlocks[last][index]};
    }
    const std::size_t n = FBlocks.size();
    std::size_t node = 0;
    qsizetype rest = pos;
    qsizetype lines = 0;
    for (std::size_t step = FTopBit; step != 0; step >>= 1) {
        if (node + step <= n && FTreeUnits[node + step] <= rest) {
            node += step;
            rest -= FTreeUnits[node];
            lines += FTreeLines[node];
        }
    }
    const TBlock& block = FBlocks[node];
    std::size_t index = 0;
    // Eight lines at a stride: the sums are independent, unlike one-by-one subtraction.
    while (index + 8 <= block.size()) {
        const qsizetype eight = SumOf(block.data() + index, block.data() + index + 8);
        if (rest < eight) {
            break;
        }
        rest -= eight;
        index += 8;
    }
    while (rest >= qsizetype{block[index]}) {
        rest -= block[index];
        ++index;
    }
    return {node, index, lines + static_cast<qsizetype>(index), pos - rest};
}

qsizetype TLineIndex::LineStart(qsizetype line) const {
    return LocateLine(line).Start;
}

void TLineIndex::LineSpan(qsizetype line, qsizetype& start, qsizetype& length) const {
    const TLoc loc = LocateLine(line);
    start = loc.Start;
    length = FBlocks[loc.Block][loc.Index];
}

qsizetype TLineIndex::LineOfPos(qsizetype pos) const {
    return LocatePos(pos).Line;
}

void TLineIndex::AddToLine(const TLoc& loc, qsizetype delta) {
    std::uint32_t& length = FBlocks[loc.Block][loc.Index];
    CheckLineLength(length + delta);
    length = static_cast<std::uint32_t>(length + delta);
    FBlockUnits[loc.Block] += delta;
    AddToTree(loc.Block, delta, 0);
}

void TLineIndex::ReplaceLines(const TLoc& first, qsizetype count,
                              const std::vector<std::uint32_t>& lengths) {
    TBlock& block = FBlocks[first.Block];
    const auto removed = static_cast<std::size_t>(count);
    const std::size_t newSize =
        block.size() - std::min(removed, block.size() - first.Index) + lengths.size();
    const bool oneBlock = first.Index + removed <= block.size();
    if (oneBlock && newSize <= kMaxLines && (newSize >= kMinLines || FBlocks.size() == 1)) {
        const auto at = block.begin() + static_cast<std::ptrdiff_t>(first.Index);
        const qsizetype removedUnits = SumOf(&*at, &*at + removed);
        const qsizetype insertedUnits = SumOf(lengths.data(), lengths.data() + lengths.size());
        const std::size_t common = std::min(removed, lengths.size());
        std::copy(lengths.begin(), lengths.begin() + common, at);
        if (removed > common) {
            block.erase(at + common, at + removed);
        } else {
            block.insert(at + common, lengths.begin() + common, lengths.end());
        }
        FBlockUnits[first.Block] += insertedUnits - removedUnits;
        AddToTree(first.Block, insertedUnits - removedUnits,
                  static_cast<qsizetype>(lengths.size()) - count);
        return;
    }
    // Rare: the edit spans blocks or leaves one too full or too empty.
    std::size_t from = first.Block;
    std::size_t last = first.Block;
    std::size_t end = first.Index + removed; // within FBlocks[last]
    while (end > FBlocks[last].size()) {
        end -= FBlocks[last].size();
        ++last;
    }
    std::vector<std::uint32_t> content(block.begin(), block.begin() + first.Index);
    content.insert(content.end(), lengths.begin(), lengths.end());
    content.insert(content.end(), FBlocks[last].begin() + end, FBlocks[last].end());
    std::size_t to = last + 1;
    if (content.size() < kMinLines) {
        if (to < FBlocks.size()) {
            content.insert(content.end(), FBlocks[to].begin(), FBlocks[to].end());
            ++to;
        } else if (from > 0) {
            --from;
            content.insert(content.begin(), FBlocks[from].begin(), FBlocks[from].end());
        }
    }
    SetBlocks(from, to, content);
}

void TLineIndex::Insert(qsizetype pos, QStringView text) {
    if (text.isEmpty()) {
        return;
    }
    const TLoc loc = LocatePos(pos);
    std::vector<std::uint32_t> lengths;
    qsizetype last = 0;
    const qsizetype offset = pos - loc.Start;
    ForEachLf(text.utf16(), 0, text.size(), [&](qsizetype lf) {
        const qsizetype length = lf + 1 - last + (lengths.empty() ? offset : 0);
        CheckLineLength(length);
        lengths.push_back(static_cast<std::uint32_t>(length));
        last = lf + 1;
    });
    if (lengths.empty()) {
        AddToLine(loc, text.size());
        return;
    }
    const qsizetype tail = text.size() - last + FBlocks[loc.Block][loc.Index] - offset;
    CheckLineLength(tail);
    lengths.push_back(static_cast<std::uint32_t>(tail));
    ReplaceLines(loc, 1, lengths);
}

void TLineIndex::Remove(qsizetype pos, qsizetype length) {
    if (length <= 0) {
        return;
    }
    const TLoc first = LocatePos(pos);
    if (pos + length < first.Start + qsizetype{FBlocks[first.Block][first.Index]}) {
        AddToLine(first, -length); // within the line, its LF kept
        return;
    }
    const TLoc last = LocatePos(pos + length);
    const qsizetype joined =
        (pos - first.Start) + (last.Start + FBlocks[last.Block][last.Index] - (pos + length));
    ReplaceLines(first, last.Line - first.Line + 1, {static_cast<std::uint32_t>(joined)});
}

qsizetype TLineIndex::MemoryBytes() const {
    std::size_t bytes = FBlocks.capacity() * sizeof(TBlock) +
                        FBlockUnits.capacity() * sizeof(qsizetype) +
                        (FTreeUnits.capacity() + FTreeLines.capacity()) * sizeof(qsizetype);
    for (const TBlock& block : FBlocks) {
        bytes += block.capacity() * sizeof(std::uint32_t);
    }
    return static_cast<qsizetype>(bytes);
}

} // namespace quillo::document
