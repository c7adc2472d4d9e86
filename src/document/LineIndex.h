#pragma once

// Where the lines of a TTextBuffer start.  The lengths of the lines (LF
// included) are kept in blocks of a few hundred; two Fenwick trees over the
// blocks sum their units and lines, so that a query walks one tree and scans
// one block, and an edit touches one block and log(blocks) tree nodes.  A
// block only splits or merges after many edits in it, and then the trees are
// rebuilt in O(blocks).  About 5 bytes per line.

#include <QStringView>

#include <cstdint>
#include <vector>

namespace quillo::document {

class TLineIndex {
public:
    TLineIndex();

    // Rebuilds the index for `text`; big texts are scanned on two threads
    // unless `parallel` is false (for comparing the two in the benchmarks).
    void Build(const char16_t* text, qsizetype length, bool parallel = true);

    qsizetype LineCount() const { return FTotalLines; }
    qsizetype Length() const { return FTotalUnits; }
    qsizetype LineStart(qsizetype line) const;
    // Start and length (with its LF; none on the last line) in one walk of the tree.
    void LineSpan(qsizetype line, qsizetype& start, qsizetype& length) const;
    qsizetype LineOfPos(qsizetype pos) const;

    // Follow an insertion of `text` at `pos` and a removal of [pos, pos + length).
    void Insert(qsizetype pos, QStringView text);
    void Remove(qsizetype pos, qsizetype length);

    qsizetype MemoryBytes() const;

private:
    using TBlock = std::vector<std::uint32_t>;

    struct TLoc {
        std::size_t Block = 0;
        std::size_t Index = 0; // line within the block
        qsizetype Line = 0;
        qsizetype Start = 0;
    };

    std::vector<TBlock> FBlocks;
    std::vector<qsizetype> FBlockUnits;
    // 1-based Fenwick trees over the blocks; node i covers the same blocks in both.
    std::vector<qsizetype> FTreeUnits;
    std::vector<qsizetype> FTreeLines;
    std::size_t FTopBit = 0;
    qsizetype FTotalUnits = 0;
    qsizetype FTotalLines = 0;

    TLoc LocateLine(qsizetype line) const;
    TLoc LocatePos(qsizetype pos) const;
    void AddToLine(const TLoc& loc, qsizetype delta);
    void ReplaceLines(const TLoc& first, qsizetype count,
                      const std::vector<std::uint32_t>& lengths);
    void SetBlocks(std::size_t from, std::size_t to, const std::vector<std::uint32_t>& lengths);
    void AddToTree(std::size_t block, qsizetype units, qsizetype lines);
    void RebuildTrees();
    static TBlock NewBlock();
};

} // namespace quillo::document
