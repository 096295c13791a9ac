#pragma once

#include <QString>
#include <array>
#include <memory>
#include <vector>

#include "core/store/drawhistory.h"

namespace pirumoa {

// The prize a number would pay if it won, learned from the stored prizes. Every number has the
// same chance; the prizes are shared among the winners, so a number that many people buy pays
// less. The model: log(prize ÷ the median prize of the draws around it) as a sum of weights of
// the number's features (a date, a run, a quad …), fitted by ridge least squares so that a
// feature seen on few draws stays near zero. Straight and box are fitted apart; the box prize
// is first multiplied by the number of orders that win it, which leaves only how popular the
// number is.

enum class OutlookBet { Straight, Box };

// What is known of the prizes at the latest draws: the level the ratios are taken against.
struct OutlookFeature {
    QString label;  // "日付の形"
    double factor;  // the prize is this many times the average's, other features alike
};

struct OutlookLine {
    bool available = false;             // false for a quad's box, which cannot be bought
    long long yen = 0;                  // expected prize of one unit if it wins
    double ratio = 1;                   // that prize ÷ the expected prize of the average number
    double rate = 0;                    // expected return per 200 yen, 0.26 = 26 %
    double rateLow = 0;                 // the return of a typical draw's prize: 10th percentile …
    double rateHigh = 0;                // … and 90th percentile
    std::vector<OutlookFeature> moved;  // the features of this number, largest effect first
};

struct NumberOutlook {
    int number = 0;  // 0 … 9999
    int orders = 1;  // orders of its digits: 24, 12, 6, 4 or 1
    OutlookLine straight, box;
    // セット: half a straight and half a box at 100 yen each.
    long long setStraightYen = 0, setBoxYen = 0;
    double setRate = 0;
};

class OutlookModel {
public:
    static constexpr int kMinDraws = 500;
    static constexpr int kFeatureCount = 24;

    // An empty model: too few draws.
    OutlookModel() = default;

    // Fits on every complete draw with a known straight prize. The result depends on the draws
    // and prizes alone, never on the order the rows came in.
    static OutlookModel fit(const DrawHistory& history);

    // Whether there were kMinDraws draws with prizes; without, the model says nothing.
    bool ready() const { return m_ready; }
    int drawsUsed() const { return m_draws; }

    NumberOutlook outlook(int number) const;
    // The model's log relative prize of a number (0 for an average draw's median).
    double logRelative(OutlookBet kind, int number) const;
    // The weight of feature i (log of its factor) and its label.
    double weight(OutlookBet kind, int i) const;
    static QString featureLabel(int i);

private:
    struct Fit {
        std::array<double, kFeatureCount + 1> beta{};  // [0] the intercept
        double level = 0;                              // median prize of the latest draws, yen
        double smear = 1;     // mean of exp(residual): log model → expected prize
        double mean = 1;      // mean over all numbers of exp(prediction)
        double residLow = 0;  // 10th and 90th percentile of the residuals
        double residHigh = 0;
    };
    OutlookLine line(const Fit& f, OutlookBet kind, int number, int orders) const;
    bool m_ready = false;
    int m_draws = 0;
    Fit m_straight, m_box;
};

// The features of a number, 0 or 1 (the digit sum is scaled): index i matches featureLabel(i).
std::array<float, OutlookModel::kFeatureCount> outlookFeatures(int number);
int digitOrders(int number);

// The check a user can trust: fitted on the draws up to lastFitDraw, compared with the
// relative prizes of the draws after it.
struct OutlookCheck {
    int fitDraws = 0, checkDraws = 0;
    double correlation = 0;  // of log relative prizes, model against what was paid
    // The mean relative straight prize of the checked draws whose number the model put among
    // the least popular tenth of numbers (it expected the most) and among the most popular.
    double leastPopularTenth = 0, mostPopularTenth = 0;
};
OutlookCheck checkOutlook(const DrawHistory& history, int lastFitDraw);

// The texts every place that shows the outlook shares.
// "約 26 %"
QString outlookPercent(double rate);
// "約 26 %（約 18 %～約 37 %）": the return, and the range of a typical draw's prize.
QString outlookRateText(const OutlookLine& line);
// "日付の形：平均の約 0.54 倍"
QString outlookFeatureText(const OutlookFeature& feature);
// That the chance is the same for every number: shown with every outlook.
QString outlookSameChance();
// Why nothing is shown: the draws with prizes are fewer than OutlookModel::kMinDraws.
QString outlookTooFew(int drawsWithPrizes);

}  // namespace pirumoa
