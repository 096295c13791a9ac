#include "gui/shell/windowdesign.h"

namespace pirumoa {

using namespace Qt::Literals::StringLiterals;

namespace {

LegendEntry dot(Rgb colour, const QString& label) {
    return {LegendEntry::Marker::Dot, colour, label};
}
LegendEntry swatch(Rgb colour, const QString& label) {
    return {LegendEntry::Marker::Swatch, colour, label};
}

std::vector<WindowDesign> makeTable() {
    const LegendEntry winning = dot(colour::MidBlue, u"：当選数字"_s);
    return {
        {.objectName = u"出現頻度分析"_s,
         .description = u"過去の当選番号の出現回数を数字別に分析します"_s,
         .widthTwips = 5280,
         .heightTwips = 13200,
         .menu = u"mnuHindo"_s,
         .menuAction = u"mnuSyutugenHindo"_s,
         .menuCaption = u"出現頻度分析"_s,
         .legend = {winning}},
        {.objectName = u"回数別出現分析"_s,
         .description = u"過去の当選番号から出現回数別の数字を分析します"_s,
         .widthTwips = 3405,
         .heightTwips = 6700,
         .fixedBorder = true,
         .menu = u"mnuHindo"_s,
         .menuAction = u"mnuSyutugenKaisu"_s,
         .menuCaption = u"回数別出現分析"_s},
        {.objectName = u"出現間隔分析"_s,
         .description = u"過去の当選数字が何回前に出現しているか分析します"_s,
         .widthTwips = 6140,
         .heightTwips = 13800,
         .menu = u"mnuKankaku"_s,
         .menuAction = u"mnuSyutugenKankaku"_s,
         .menuCaption = u"出現間隔分析"_s},
        {.objectName = u"数字間隔分析"_s,
         .description = u"当選数字を第1数字～第4数字別に前回数字との数字の間隔を分析します"_s,
         .widthTwips = 7050,
         .heightTwips = 13820,
         .menu = u"mnuKankaku"_s,
         .menuAction = u"mnuNumberKankaku"_s,
         .menuCaption = u"数字間隔分析"_s},
        {.objectName = u"出現回数分析"_s,
         .description = u"過去の当選数字が何回出現したか分析します"_s,
         .widthTwips = 6280,
         .heightTwips = 13850,
         .menu = u"mnuMain"_s,
         .menuAction = u"mnuZenkaiSyutugen"_s,
         .menuCaption = u"出現回数分析"_s},
        {.objectName = u"バラツキ分析"_s,
         .description = u"過去の当選番号のバラツキを数字別に分析します"_s,
         .widthTwips = 7630,
         .heightTwips = 13980,
         .menu = u"mnuMain"_s,
         .menuAction = u"mnuBaratsuki"_s,
         .menuCaption = u"バラツキ分析"_s,
         .legend = {dot(colour::MidBlue, u"：本数字"_s),
                    dot(colour::LightPink, u"：ボーナス数字"_s)}},
        {.objectName = u"引っ張り分析"_s,
         .description = u"過去の当選数字に前回の数字が入っているか分析します"_s,
         .widthTwips = 7000,
         .heightTwips = 13500,
         .menu = u"mnuMain"_s,
         .menuAction = u"mnuHippari"_s,
         .menuCaption = u"引っ張り分析"_s,
         .legend = {swatch(colour::Aqua, u":前回の数字"_s)}},
        {.objectName = u"連番飛び石分析"_s,
         .description = u"過去の当選番号の連続数字と一つ飛び数字の傾向を分析します"_s,
         .widthTwips = 7020,
         .heightTwips = 13400,
         .menu = u"mnuMain"_s,
         .menuAction = u"mnuRenbanTobiishi"_s,
         .menuCaption = u"連番・飛び石分析"_s},
        {.objectName = u"数字合計分析"_s,
         .description = u"過去の当選番号の各数字の合計を分析します"_s,
         .widthTwips = 4860,
         .heightTwips = 13680,
         .menu = u"mnuMain"_s,
         .menuAction = u"mnuHonsuji"_s,
         .menuCaption = u"数字合計分析"_s},
        {.objectName = u"低数字高数字の組合せパターン分析"_s,
         .description =
             u"過去の当選番号を低数字（０～４）と高数字（５～９）に分けて組合せパターンを分析します"_s,
         .widthTwips = 5900,
         .heightTwips = 13600,
         .menu = u"mnuPattern"_s,
         .menuAction = u"mnuLowHightPattern"_s,
         .menuCaption = u"低数字・高数字の組合せパターン分析"_s},
        {.objectName = u"偶数奇数の組合せパターン分析"_s,
         .description = u"過去の当選番号を偶数と奇数に分類して分析します"_s,
         .widthTwips = 5900,
         .heightTwips = 13600,
         .menu = u"mnuPattern"_s,
         .menuAction = u"mnuKisuGusuPattern"_s,
         .menuCaption = u"偶数・奇数の組合せパターン分析"_s},
        {.objectName = u"分割5傾向分析"_s,
         .description = u"過去の当選番号の５グループに分類して分析します"_s,
         .widthTwips = 6900,
         .heightTwips = 13750,
         .menu = u"mnuMain"_s,
         .menuAction = u"mnu4BunkatsuKeiko"_s,
         .menuCaption = u"4分割傾向分析"_s},
        {.objectName = u"分割3データ分析"_s,
         .description = u"過去の当選番号の第１～４数字をＡ～Ｃの３グループに分類して分析します"_s,
         .widthTwips = 12300,
         .heightTwips = 12400,
         .menu = u"mnuBunkatsuData"_s,
         .menuAction = u"mnu3BunkatsuData"_s,
         .menuCaption = u"3分割データ分析"_s,
         .legend = {winning}},
        {.objectName = u"分割5データ分析"_s,
         .description = u"過去の当選番号の第１～４数字をＡ～Ｅの５グループに分類して分析します"_s,
         .widthTwips = 12300,
         .heightTwips = 12400,
         .menu = u"mnuBunkatsuData"_s,
         .menuAction = u"mnu5BunkatsuData"_s,
         .menuCaption = u"5分割データ分析"_s,
         .legend = {winning}},
        {.objectName = u"分割10データ分析"_s,
         .description = u"過去の当選番号の第１～４数字をＡ～Ｊの１０グループに分類して分析します"_s,
         .widthTwips = 12300,
         .heightTwips = 12400,
         .menu = u"mnuBunkatsuData"_s,
         .menuAction = u"mnu10BunkatsuData"_s,
         .menuCaption = u"10分割データ分析"_s,
         .legend = {winning}},
        {.objectName = u"下一桁出現傾向分析"_s,
         .description = u"過去の当選番号の下一桁の数字の出現傾向を分析します"_s,
         .widthTwips = 7370,
         .heightTwips = 13980,
         .menu = u"mnuMain"_s,
         .menuAction = u"mnuLastChar"_s,
         .menuCaption = u"下一桁出現傾向分析"_s},
        {.objectName = u"下一桁連続出現回数分析"_s,
         .description = u"過去の当選番号の下一桁数字が何回続けて出現しているか分析します"_s,
         .widthTwips = 7370,
         .heightTwips = 13935,
         .menu = u"mnuMain"_s,
         .menuAction = u"mnuLastCharRenzoku"_s,
         .menuCaption = u"下一桁連続出現回数分析"_s},
        {.objectName = u"一発ピルモア"_s,
         .widthTwips = 9360,
         .heightTwips = 8244,
         .menuAction = u"mnuYoso"_s,
         .menuCaption = u"一発ピルモア予想(&D)"_s},
        {.objectName = u"当選データ入力"_s,
         .description = u"当選数字を開催回数毎に入力します（分析対象データとなります）"_s,
         // Wider than the original window: the draw date has a column of its own.
         .widthTwips = 5850,
         .heightTwips = 9000,
         .fixedBorder = true,
         .menu = u"mnuHosyu"_s,
         .menuAction = u"mnuMasterInput"_s,
         .menuCaption = u"当選データ入力(&I)"_s},
        {.objectName = u"購入数字の照合"_s,
         .description = u"購入した数字を抽せん結果と照合し、当せん金と収支を計算します"_s,
         .widthTwips = 11400,
         .heightTwips = 10500,
         .menu = u"mnuHosyu"_s,
         .menuAction = u"mnuKonyuSyogo"_s,
         .menuCaption = u"購入数字の照合(&T)..."_s,
         .separatorBefore = true},
        {.objectName = u"番号の見込み払戻率"_s,
         .description = u"番号を入れると、当たったときの当せん金の見込みを、記録された当せん金から"
                        u"計算します"_s,
         .widthTwips = 9000,
         .heightTwips = 6600,
         .menu = u"mnuMain"_s,
         .menuAction = u"mnuMikomiHaraimodoshi"_s,
         .menuCaption = u"番号の見込み払戻率(&R)..."_s},
        // Last of the analysis menu.
        {.objectName = u"予想の検証"_s,
         .description =
             u"一発ピルモア予想の各手法が過去の抽選でどれだけ当たったかを、偶然と比べます"_s,
         .widthTwips = 11400,
         .heightTwips = 10500,
         .menu = u"mnuMain"_s,
         .menuAction = u"mnuYosoKensyo"_s,
         .menuCaption = u"予想の検証(&V)..."_s,
         .separatorBefore = true},
    };
}

}  // namespace

const std::vector<WindowDesign>& windowDesigns() {
    static const std::vector<WindowDesign> table = [] {
        std::vector<WindowDesign> designs = makeTable();
        for (WindowDesign& d : designs) {
            d.info = findWindow(d.objectName);
            Q_ASSERT(d.info);
        }
        return designs;
    }();
    return table;
}

const WindowDesign* findWindowDesign(const QString& objectName) {
    for (const WindowDesign& d : windowDesigns())
        if (d.objectName == objectName) return &d;
    return nullptr;
}

}  // namespace pirumoa
