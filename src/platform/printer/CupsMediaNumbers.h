#pragma once

// Numbers for CUPS media and input-source names.  Sizes and sources that the
// classic device-mode record knows keep its numbers (A4 9, letter 1, the auto
// bin 7); every other name gets a number above 256, the same one for the
// whole run of the program.

#include <QString>

#include <cstdint>

namespace quillo::platform {

std::int16_t CupsPaperNumber(const QString& pwgMediaName);
// The media name of a number from CupsPaperNumber; empty when unknown.
QString CupsPaperName(std::int16_t number);

std::int16_t CupsBinNumber(const QString& mediaSourceKeyword);
QString CupsBinKeyword(std::int16_t number);

} // namespace quillo::platform
