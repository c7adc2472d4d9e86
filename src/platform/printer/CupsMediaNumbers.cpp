#include "platform/printer/CupsMediaNumbers.h"

#include <QHash>

#include <utility>

namespace quillo::platform {

namespace {

struct KnownName {
    const char* Name;
    std::int16_t Number;
};

constexpr KnownName kPapers[] = {
    {"na_letter_8.5x11in", 1},    {"na_ledger_11x17in", 3},         {"na_legal_8.5x14in", 5},
    {"na_invoice_5.5x8.5in", 6},  {"na_executive_7.25x10.5in", 7},  {"iso_a3_297x420mm", 8},
    {"iso_a4_210x297mm", 9},      {"iso_a5_148x210mm", 11},         {"jis_b4_257x364mm", 12},
    {"jis_b5_182x257mm", 13},     {"na_number-10_4.125x9.5in", 20}, {"iso_dl_110x220mm", 27},
    {"iso_c5_162x229mm", 28},     {"iso_c4_229x324mm", 30},         {"iso_c6_114x162mm", 31},
    {"iso_b4_250x353mm", 33},     {"iso_b5_176x250mm", 34},         {"na_monarch_3.875x7.5in", 37},
    {"jpn_hagaki_100x148mm", 43}, {"iso_a2_420x594mm", 66},         {"jpn_oufuku_148x200mm", 69},
    {"iso_a6_105x148mm", 70},     {"jis_b6_128x182mm", 88},
};

constexpr KnownName kBins[] = {
    {"top", 1},      {"bottom", 2}, {"middle", 3},          {"manual", 4},
    {"envelope", 5}, {"auto", 7},   {"large-capacity", 11}, {"main", 14},
};

// Names seen during this run and the numbers they were given.
class NumberTable {
public:
    template <std::size_t N> explicit NumberTable(const KnownName (&known)[N]) {
        for (const auto& k : known) {
            Add(QString::fromLatin1(k.Name), k.Number);
        }
    }
    std::int16_t NumberOf(const QString& name) {
        auto it = FNumbers.constFind(name);
        if (it != FNumbers.cend()) {
            return *it;
        }
        const std::int16_t n = FNext++;
        Add(name, n);
        return n;
    }
    QString NameOf(std::int16_t number) const { return FNames.value(number); }

private:
    void Add(const QString& name, std::int16_t number) {
        FNumbers.insert(name, number);
        FNames.insert(number, name);
    }
    QHash<QString, std::int16_t> FNumbers;
    QHash<std::int16_t, QString> FNames;
    std::int16_t FNext = 257;
};

NumberTable& Papers() {
    static NumberTable table(kPapers);
    return table;
}

NumberTable& Bins() {
    static NumberTable table(kBins);
    return table;
}

} // namespace

std::int16_t CupsPaperNumber(const QString& pwgMediaName) {
    return Papers().NumberOf(pwgMediaName);
}

QString CupsPaperName(std::int16_t number) {
    return Papers().NameOf(number);
}

std::int16_t CupsBinNumber(const QString& mediaSourceKeyword) {
    return Bins().NumberOf(mediaSourceKeyword);
}

QString CupsBinKeyword(std::int16_t number) {
    return Bins().NameOf(number);
}

} // namespace quillo::platform
