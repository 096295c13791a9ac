#include "core/analysis/windowtable.h"

#include "core/analysis/frequency.h"

namespace pirumoa {

namespace {

LegendEntry dot(Rgb colour, const QString& label) { return {LegendEntry::Dot, colour, label}; }
LegendEntry swatch(Rgb colour, const QString& label) {
    return {LegendEntry::Swatch, colour, label};
}

std::vector<WindowInfo> makeTable() {
    using K = WindowKind;
    const LegendEntry winning = dot(colour::MidBlue, QStringLiteral("：当選数字"));
    return {
        {"出現頻度分析", "出現頻度分析", "過去の当選番号の出現回数を数字別に分析します",
         "mnuSyutugenHindo", 5280, 13200, false, K::Analysis, {winning},
         fillAppearanceFrequency},
        {"回数別出現分析", "回数別頻度分析", "過去の当選番号から出現回数別の数字を分析します",
         "mnuSyutugenKaisu", 3405, 6700, true, K::Analysis, {}, nullptr},
        {"出現間隔分析", "出現間隔分析", "過去の当選数字が何回前に出現しているか分析します",
         "mnuSyutugenKankaku", 6140, 13800, false, K::Analysis, {}, nullptr},
        {"数字間隔分析", "数字間隔分析",
         "当選数字を第1数字～第4数字別に前回数字との数字の間隔を分析します", "mnuNumberKankaku",
         7050, 13820, false, K::Analysis, {}, nullptr},
        {"出現回数分析", "出現回数分析", "過去の当選数字が何回出現したか分析します",
         "mnuZenkaiSyutugen", 6280, 13850, false, K::Analysis, {}, nullptr},
        {"バラツキ分析", "バラツキ分析", "過去の当選番号のバラツキを数字別に分析します",
         "mnuBaratsuki", 7630, 13980, false, K::Analysis,
         {dot(colour::MidBlue, "：本数字"), dot(colour::LightPink, "：ボーナス数字")}, nullptr},
        {"引っ張り分析", "引っ張り分析", "過去の当選数字に前回の数字が入っているか分析します",
         "mnuHippari", 7000, 13500, false, K::Analysis, {swatch(colour::Aqua, ":前回の数字")},
         nullptr},
        {"連番飛び石分析", "連番・飛び石分析",
         "過去の当選番号の連続数字と一つ飛び数字の傾向を分析します", "mnuRenbanTobiishi", 7020,
         13400, false, K::Analysis, {}, nullptr},
        {"数字合計分析", "数字合計分析", "過去の当選番号の各数字の合計を分析します",
         "mnuHonsuji", 4860, 13680, false, K::Analysis, {}, nullptr},
        {"低数字高数字の組合せパターン分析", "低数字・高数字の組合せパターン分析",
         "過去の当選番号を低数字（０～４）と高数字（５～９）に分けて組合せパターンを分析します",
         "mnuLowHightPattern", 5900, 13600, false, K::Analysis, {}, nullptr},
        {"偶数奇数の組合せパターン分析", "偶数・奇数の組合せパターン分析",
         "過去の当選番号を偶数と奇数に分類して分析します", "mnuKisuGusuPattern", 5900, 13600,
         false, K::Analysis, {}, nullptr},
        {"分割5傾向分析", "5分割傾向分析", "過去の当選番号の５グループに分類して分析します",
         "mnu4BunkatsuKeiko", 6900, 13750, false, K::Analysis, {}, nullptr},
        {"分割3データ分析", "3分割データ分析",
         "過去の当選番号の第１～４数字をＡ～Ｃの３グループに分類して分析します",
         "mnu3BunkatsuData", 12300, 12400, false, K::Analysis, {winning}, nullptr},
        {"分割5データ分析", "5分割データ分析",
         "過去の当選番号の第１～４数字をＡ～Ｅの５グループに分類して分析します",
         "mnu5BunkatsuData", 12300, 12400, false, K::Analysis, {winning}, nullptr},
        {"分割10データ分析", "10分割データ分析",
         "過去の当選番号の第１～４数字をＡ～Ｊの１０グループに分類して分析します",
         "mnu10BunkatsuData", 12300, 12400, false, K::Analysis, {winning}, nullptr},
        {"下一桁出現傾向分析", "下一桁出現傾向分析",
         "過去の当選番号の下一桁の数字の出現傾向を分析します", "mnuLastChar", 7370, 13980, false,
         K::Analysis, {}, nullptr},
        {"下一桁連続出現回数分析", "下一桁連続出現回数分析",
         "過去の当選番号の下一桁数字が何回続けて出現しているか分析します", "mnuLastCharRenzoku",
         7370, 13935, false, K::Analysis, {}, nullptr},
        // Built by their own modules; listed so the menu and the tools know them.
        {"一発ピルモア", "一発ピルモア予想", "", "mnuYoso", 9360, 8244, false, K::Prediction, {},
         nullptr},
        {"当選データ入力", "当選データ入力",
         "当選数字を開催回数毎に入力します（分析対象データとなります）", "mnuMasterInput", 4800,
         9000, true, K::DataEntry, {}, nullptr},
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

}  // namespace pirumoa
