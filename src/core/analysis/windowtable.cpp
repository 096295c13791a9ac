#include "core/analysis/windowtable.h"

#include "core/analysis/analyses.h"

namespace pirumoa {

using namespace Qt::Literals::StringLiterals;

namespace {

std::vector<WindowInfo> makeTable() {
    return {
        {.objectName = u"出現頻度分析"_s,
         .caption = u"出現頻度分析"_s,
         .fill = fillAppearanceFrequency},
        {.objectName = u"回数別出現分析"_s,
         .caption = u"回数別頻度分析"_s,
         .fill = fillCountGroups},
        {.objectName = u"出現間隔分析"_s,
         .caption = u"出現間隔分析"_s,
         .fill = fillAppearanceInterval},
        {.objectName = u"数字間隔分析"_s, .caption = u"数字間隔分析"_s, .fill = fillNumberInterval},
        {.objectName = u"出現回数分析"_s,
         .caption = u"出現回数分析"_s,
         .fill = fillAppearanceCount},
        {.objectName = u"バラツキ分析"_s, .caption = u"バラツキ分析"_s, .fill = fillDispersion},
        {.objectName = u"引っ張り分析"_s, .caption = u"引っ張り分析"_s, .fill = fillPull},
        {.objectName = u"連番飛び石分析"_s,
         .caption = u"連番・飛び石分析"_s,
         .fill = fillConsecutiveSkip},
        {.objectName = u"数字合計分析"_s, .caption = u"数字合計分析"_s, .fill = fillDigitSum},
        {.objectName = u"低数字高数字の組合せパターン分析"_s,
         .caption = u"低数字・高数字の組合せパターン分析"_s,
         .fill = fillLowHighPattern},
        {.objectName = u"偶数奇数の組合せパターン分析"_s,
         .caption = u"偶数・奇数の組合せパターン分析"_s,
         .fill = fillEvenOddPattern},
        {.objectName = u"分割5傾向分析"_s,
         .caption = u"5分割傾向分析"_s,
         .fill = fillFiveGroupTendency},
        {.objectName = u"分割3データ分析"_s,
         .caption = u"3分割データ分析"_s,
         .fill = fillThreeGroupData},
        {.objectName = u"分割5データ分析"_s,
         .caption = u"5分割データ分析"_s,
         .fill = fillFiveGroupData},
        {.objectName = u"分割10データ分析"_s,
         .caption = u"10分割データ分析"_s,
         .fill = fillTenGroupData},
        {.objectName = u"下一桁出現傾向分析"_s,
         .caption = u"下一桁出現傾向分析"_s,
         .fill = fillLastDigitTendency},
        {.objectName = u"下一桁連続出現回数分析"_s,
         .caption = u"下一桁連続出現回数分析"_s,
         .fill = fillLastDigitRuns},
        {.objectName = u"一発ピルモア"_s,
         .caption = u"一発ピルモア予想"_s,
         .kind = WindowKind::Prediction},
        {.objectName = u"当選データ入力"_s,
         .caption = u"当選データ入力"_s,
         .kind = WindowKind::DataEntry},
        {.objectName = u"購入数字の照合"_s,
         .caption = u"購入数字の照合"_s,
         .kind = WindowKind::Tickets},
        {.objectName = u"予想の検証"_s, .caption = u"予想の検証"_s, .kind = WindowKind::Backtest},
        {.objectName = u"番号の見込み払戻率"_s,
         .caption = u"番号の見込み払戻率"_s,
         .kind = WindowKind::Outlook},
    };
}

}  // namespace

const std::vector<WindowInfo>& windowTable() {
    static const std::vector<WindowInfo> table = makeTable();
    return table;
}

const WindowInfo* findWindow(const QString& objectName) {
    for (const WindowInfo& w : windowTable())
        if (w.objectName == objectName) return &w;
    return nullptr;
}

bool hasSheets(const WindowInfo& window) {
    return window.kind != WindowKind::DataEntry && window.kind != WindowKind::Tickets &&
           window.kind != WindowKind::Outlook;
}

}  // namespace pirumoa
