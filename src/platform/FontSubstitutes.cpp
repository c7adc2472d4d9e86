#include "platform/FontSubstitutes.h"

#include <QFont>
#include <QStringList>

namespace quillo::platform {

void InstallFontSubstitutes() {
    const QStringList monoJa = {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                                QStringLiteral("Noto Sans Mono CJK JP"),
                                QStringLiteral("DejaVu Sans Mono")};
    const QStringList propJa = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAPゴシック"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("DejaVu Sans")};
    const QStringList minchoJa = {QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), monoJa);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), monoJa);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), minchoJa);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), propJa);
    QFont::insertSubstitutions(QStringLiteral("メイリオ"), propJa);
    QFont::insertSubstitutions(QStringLiteral("Meiryo"), propJa);
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial Black"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
}

} // namespace quillo::platform
