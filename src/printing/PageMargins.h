#pragma once

namespace quillo::printing {

// Page margins in hundredths of a millimetre.
struct TPageMargins {
    int Left = 2500;
    int Top = 2500;
    int Right = 2500;
    int Bottom = 2500;

    bool operator==(const TPageMargins&) const = default;
};

} // namespace quillo::printing
