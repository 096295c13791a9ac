#include "core/stats/outlook.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace pirumoa {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kF = OutlookModel::kFeatureCount;
// The median is taken over this many draws with prizes around each draw.
constexpr int kAround = 201;
// Ridge penalty, in draws: a feature seen on few draws is pulled towards no effect as if it had
// this many more draws of an average prize.
constexpr double kRidge = 8;
// A box fit needs this many draws of non-quad numbers with prizes.
constexpr int kMinBoxDraws = 100;

std::array<int, 4> digitsOf(int n) { return {n / 1000, n / 100 % 10, n / 10 % 10, n % 10}; }

bool isDate(int mm, int dd) {
    static constexpr int kDays[13] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return mm >= 1 && mm <= 12 && dd >= 1 && dd <= kDays[mm];
}

std::array<float, kF> computeFeatures(int number) {
    const std::array<int, 4> d = digitsOf(number);
    std::array<float, kF> f{};
    const int orders = digitOrders(number);
    f[0] = orders == 12;
    f[1] = orders == 6;
    f[2] = orders == 4;
    f[3] = orders == 1;
    const int hi = number / 100, lo = number % 100;
    f[4] = isDate(hi, lo);
    f[5] = hi == 19 || hi == 20;
    auto steps = [&](int s) { return d[1] - d[0] == s && d[2] - d[1] == s && d[3] - d[2] == s; };
    auto wrapSteps = [&](int s) {
        for (int i = 0; i < 3; ++i)
            if ((d[i] + s + 10) % 10 != d[i + 1]) return false;
        return true;
    };
    f[6] = wrapSteps(1);
    f[7] = wrapSteps(-1);
    f[8] = std::all_of(d.begin(), d.end(), [](int x) { return x <= 3; });
    f[9] = orders != 1 && d[0] == d[3] && d[1] == d[2];
    f[10] = orders != 1 && d[0] == d[2] && d[1] == d[3];
    const double sum = d[0] + d[1] + d[2] + d[3];
    f[11] = float((sum - 18) / 9);
    f[12] = f[11] * f[11];
    f[13] = d[0] == 0;
    f[14] = steps(2) || steps(-2);
    f[15] = lo == 0;
    for (int x : d) {
        f[16] += x == 7;
        f[17] += x == 8;
        f[18] += x == 0;
        f[19] += x == 9;
    }
    f[20] = !f[4] && hi <= 23 && lo <= 59;
    auto threeRun = [&](int i) {
        return (d[i + 1] - d[i] == 1 && d[i + 2] - d[i + 1] == 1) ||
               (d[i + 1] - d[i] == -1 && d[i + 2] - d[i + 1] == -1);
    };
    f[21] = !f[6] && !f[7] && (threeRun(0) || threeRun(1));
    f[22] = d[0] < d[1] && d[1] < d[2] && d[2] < d[3] && !f[6];
    f[23] = d[0] > d[1] && d[1] > d[2] && d[2] > d[3] && !f[7];
    return f;
}

const std::vector<std::array<float, kF>>& featureTable() {
    static const std::vector<std::array<float, kF>> table = [] {
        std::vector<std::array<float, kF>> t(10000);
        for (int n = 0; n < 10000; ++n) t[std::size_t(n)] = computeFeatures(n);
        return t;
    }();
    return table;
}

const std::array<int, 10000>& ordersTable() {
    static const std::array<int, 10000> table = [] {
        std::array<int, 10000> t{};
        for (int n = 0; n < 10000; ++n) {
            const std::array<int, 4> d = digitsOf(n);
            int count[10] = {};
            for (int x : d) ++count[x];
            int r = 24;
            for (int c : count)
                for (int k = 2; k <= c; ++k) r /= k;
            t[std::size_t(n)] = r;
        }
        return t;
    }();
    return table;
}

struct Observation {
    int drawNo;
    int number;
    double value;  // yen (box: times the orders)
};

// The draws with a known prize of the kind, in draw order.
std::vector<Observation> observations(const DrawHistory& history, OutlookBet kind) {
    std::vector<Observation> obs;
    obs.reserve(history.rows.size());
    for (const DrawRecord& r : history.rows) {
        if (!r.complete()) continue;
        const PrizeAmounts* p = history.prizes.find(r.no);
        if (!p) continue;
        const int number = r.digits[0] * 1000 + r.digits[1] * 100 + r.digits[2] * 10 + r.digits[3];
        if (kind == OutlookBet::Straight) {
            if (p->straight > 0) obs.push_back({r.no, number, double(p->straight)});
        } else {
            const int orders = digitOrders(number);
            if (orders > 1 && p->box > 0) obs.push_back({r.no, number, double(p->box) * orders});
        }
    }
    // Rows come in draw order from the store; sorting makes the fit independent of it.
    std::sort(obs.begin(), obs.end(), [](const Observation& a, const Observation& b) {
        return a.drawNo != b.drawNo ? a.drawNo < b.drawNo : a.number < b.number;
    });
    return obs;
}

// log(value ÷ the median of the kAround values around it), kept inside the series at its ends;
// with it the median of the last kAround values.
std::vector<double> logRelatives(const std::vector<Observation>& obs, double* lastMedian) {
    const std::size_t n = obs.size();
    std::vector<double> out(n);
    if (n == 0) return out;
    const std::size_t w = std::min<std::size_t>(kAround, n);
    std::vector<double> window;
    window.reserve(w);
    for (std::size_t i = 0; i < w; ++i) window.push_back(obs[i].value);
    std::sort(window.begin(), window.end());
    auto median = [&] { return w % 2 ? window[w / 2] : (window[w / 2 - 1] + window[w / 2]) / 2; };
    std::size_t start = 0;  // the window holds obs[start, start + w)
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t want = std::min(i > w / 2 ? i - w / 2 : 0, n - w);
        while (start < want) {
            window.erase(std::lower_bound(window.begin(), window.end(), obs[start].value));
            const double v = obs[start + w].value;
            window.insert(std::upper_bound(window.begin(), window.end(), v), v);
            ++start;
        }
        out[i] = std::log(obs[i].value / median());
    }
    if (lastMedian) *lastMedian = median();
    return out;
}

double quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    const auto k = std::size_t(q * double(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(k), v.end());
    return v[k];
}

// Solves a x = b for a symmetric positive definite a, by Cholesky.
template <std::size_t N>
std::array<double, N> solve(std::array<std::array<double, N>, N> a, std::array<double, N> b) {
    for (std::size_t j = 0; j < N; ++j) {
        double s = a[j][j];
        for (std::size_t k = 0; k < j; ++k) s -= a[j][k] * a[j][k];
        a[j][j] = std::sqrt(std::max(s, 1e-12));
        for (std::size_t i = j + 1; i < N; ++i) {
            double t = a[i][j];
            for (std::size_t k = 0; k < j; ++k) t -= a[i][k] * a[j][k];
            a[i][j] = t / a[j][j];
        }
    }
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t k = 0; k < i; ++k) b[i] -= a[i][k] * b[k];
        b[i] /= a[i][i];
    }
    for (std::size_t i = N; i-- > 0;) {
        for (std::size_t k = i + 1; k < N; ++k) b[i] -= a[k][i] * b[k];
        b[i] /= a[i][i];
    }
    return b;
}

double predict(const std::array<double, kF + 1>& beta, int number) {
    const std::array<float, kF>& x = featureTable()[std::size_t(number)];
    double s = beta[0];
    for (int i = 0; i < kF; ++i) s += beta[std::size_t(i) + 1] * x[std::size_t(i)];
    return s;
}

}  // namespace

int digitOrders(int number) { return ordersTable()[std::size_t(number)]; }

std::array<float, OutlookModel::kFeatureCount> outlookFeatures(int number) {
    return featureTable()[std::size_t(number)];
}

QString OutlookModel::featureLabel(int i) {
    static const QString labels[kF] = {
        u"同じ数字が 2 つ"_s,
        u"同じ数字が 2 つずつ 2 組"_s,
        u"同じ数字が 3 つ"_s,
        u"4 つとも同じ数字"_s,
        u"日付の形"_s,
        u"西暦の形（19xx・20xx）"_s,
        u"上りの連番（1234 など）"_s,
        u"下りの連番（4321 など）"_s,
        u"すべて 3 以下の数字"_s,
        u"左右対称（1221 など）"_s,
        u"前後の繰り返し（1212 など）"_s,
        u"数字の合計"_s,
        u"数字の合計のかたより"_s,
        u"0 で始まる"_s,
        u"2 つとびの並び（2468 など）"_s,
        u"00 で終わる"_s,
        u"7 の数"_s,
        u"8 の数"_s,
        u"0 の数"_s,
        u"9 の数"_s,
        u"時刻の形（2359 など）"_s,
        u"3 つの連番を含む"_s,
        u"小さい順の並び"_s,
        u"大きい順の並び"_s,
    };
    return i >= 0 && i < kF ? labels[i] : QString();
}

OutlookModel OutlookModel::fit(const DrawHistory& history) {
    OutlookModel m;
    for (OutlookBet kind : {OutlookBet::Straight, OutlookBet::Box}) {
        const std::vector<Observation> obs = observations(history, kind);
        if (kind == OutlookBet::Straight) {
            m.m_draws = int(obs.size());
            if (m.m_draws < kMinDraws) {
                OutlookModel few;
                few.m_draws = m.m_draws;
                return few;
            }
        } else if (int(obs.size()) < kMinBoxDraws) {
            continue;
        }
        Fit& f = kind == OutlookBet::Straight ? m.m_straight : m.m_box;
        const std::vector<double> y = logRelatives(obs, &f.level);

        constexpr std::size_t N = kF + 1;
        std::array<std::array<double, N>, N> xtx{};
        std::array<double, N> xty{};
        std::array<double, N> x{};
        x[0] = 1;
        for (std::size_t k = 0; k < obs.size(); ++k) {
            const std::array<float, kF>& fx = featureTable()[std::size_t(obs[k].number)];
            for (std::size_t i = 0; i < std::size_t(kF); ++i) x[i + 1] = fx[i];
            for (std::size_t i = 0; i < N; ++i) {
                if (x[i] == 0) continue;
                xty[i] += x[i] * y[k];
                for (std::size_t j = 0; j <= i; ++j) xtx[i][j] += x[i] * x[j];
            }
        }
        for (std::size_t i = 0; i < N; ++i) {
            for (std::size_t j = 0; j < i; ++j) xtx[j][i] = xtx[i][j];
            if (i > 0) xtx[i][i] += kRidge;
        }
        f.beta = solve(xtx, xty);

        std::vector<double> resid(obs.size());
        double smear = 0;
        for (std::size_t k = 0; k < obs.size(); ++k) {
            resid[k] = y[k] - predict(f.beta, obs[k].number);
            smear += std::exp(resid[k]);
        }
        f.smear = smear / double(obs.size());
        f.residLow = quantile(resid, 0.1);
        f.residHigh = quantile(resid, 0.9);
        double mean = 0;
        int count = 0;
        for (int n = 0; n < 10000; ++n) {
            if (kind == OutlookBet::Box && digitOrders(n) == 1) continue;
            mean += std::exp(predict(f.beta, n));
            ++count;
        }
        f.mean = mean / count;
    }
    m.m_ready = true;
    return m;
}

double OutlookModel::logRelative(OutlookBet kind, int number) const {
    return predict(kind == OutlookBet::Straight ? m_straight.beta : m_box.beta, number);
}

double OutlookModel::weight(OutlookBet kind, int i) const {
    const Fit& f = kind == OutlookBet::Straight ? m_straight : m_box;
    return i >= 0 && i < kF ? f.beta[std::size_t(i) + 1] : 0;
}

OutlookLine OutlookModel::line(const Fit& f, OutlookBet kind, int number, int orders) const {
    OutlookLine l;
    if (!m_ready || f.level <= 0 || (kind == OutlookBet::Box && orders == 1)) return l;
    l.available = true;
    const double e = std::exp(predict(f.beta, number));
    const double divisor = kind == OutlookBet::Box ? orders : 1;
    const double yen = f.level * e * f.smear / divisor;
    l.yen = std::llround(yen);
    l.ratio = e / f.mean;
    const double chance = (kind == OutlookBet::Box ? orders : 1) / 10000.0;
    l.rate = yen * chance / 200;
    l.rateLow = l.rate * std::exp(f.residLow) / f.smear;
    l.rateHigh = l.rate * std::exp(f.residHigh) / f.smear;
    const std::array<float, kF>& x = featureTable()[std::size_t(number)];
    for (int i = 0; i < kF; ++i) {
        const double effect = f.beta[std::size_t(i) + 1] * x[std::size_t(i)];
        // Effects under 3 % are noise to a reader.
        if (std::abs(effect) >= 0.03) l.moved.push_back({featureLabel(i), std::exp(effect)});
    }
    std::sort(l.moved.begin(), l.moved.end(), [](const OutlookFeature& a, const OutlookFeature& b) {
        return std::abs(std::log(a.factor)) > std::abs(std::log(b.factor));
    });
    return l;
}

NumberOutlook OutlookModel::outlook(int number) const {
    NumberOutlook o;
    if (number < 0 || number > 9999) return o;
    o.number = number;
    o.orders = digitOrders(number);
    o.straight = line(m_straight, OutlookBet::Straight, number, o.orders);
    o.box = line(m_box, OutlookBet::Box, number, o.orders);
    if (o.straight.available && o.box.available) {
        o.setStraightYen = (o.straight.yen + o.box.yen) / 2;
        o.setBoxYen = o.box.yen / 2;
        o.setRate = (o.straight.rate + o.box.rate) / 2;
    }
    return o;
}

OutlookCheck checkOutlook(const DrawHistory& history, int lastFitDraw) {
    OutlookCheck c;
    DrawHistory early;
    early.prizes = history.prizes;
    for (const DrawRecord& r : history.rows)
        if (r.no <= lastFitDraw) early.rows.push_back(r);
    const OutlookModel model = OutlookModel::fit(early);
    c.fitDraws = model.drawsUsed();
    if (!model.ready()) return c;

    const std::vector<Observation> obs = observations(history, OutlookBet::Straight);
    const std::vector<double> y = logRelatives(obs, nullptr);
    std::vector<int> byPrediction(10000);
    std::iota(byPrediction.begin(), byPrediction.end(), 0);
    std::vector<double> pred(10000);
    for (int n = 0; n < 10000; ++n)
        pred[std::size_t(n)] = model.logRelative(OutlookBet::Straight, n);
    std::stable_sort(byPrediction.begin(), byPrediction.end(),
                     [&](int a, int b) { return pred[std::size_t(a)] < pred[std::size_t(b)]; });
    std::vector<int> tenth(10000, 0);  // -1 the most popular tenth, +1 the least popular
    for (int k = 0; k < 1000; ++k) {
        tenth[std::size_t(byPrediction[std::size_t(k)])] = -1;
        tenth[std::size_t(byPrediction[std::size_t(9999 - k)])] = 1;
    }

    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    double most = 0, least = 0;
    int nMost = 0, nLeast = 0, n = 0;
    for (std::size_t k = 0; k < obs.size(); ++k) {
        if (obs[k].drawNo <= lastFitDraw) continue;
        const double px = pred[std::size_t(obs[k].number)], py = y[k];
        sx += px;
        sy += py;
        sxx += px * px;
        syy += py * py;
        sxy += px * py;
        ++n;
        const int t = tenth[std::size_t(obs[k].number)];
        if (t < 0) most += std::exp(py), ++nMost;
        if (t > 0) least += std::exp(py), ++nLeast;
    }
    c.checkDraws = n;
    if (n > 1) {
        const double cov = sxy - sx * sy / n, vx = sxx - sx * sx / n, vy = syy - sy * sy / n;
        c.correlation = vx > 0 && vy > 0 ? cov / std::sqrt(vx * vy) : 0;
    }
    c.mostPopularTenth = nMost ? most / nMost : 0;
    c.leastPopularTenth = nLeast ? least / nLeast : 0;
    return c;
}

QString outlookPercent(double rate) { return u"約 %1 %"_s.arg(std::lround(rate * 100)); }

QString outlookRateText(const OutlookLine& line) {
    return u"%1（%2～%3）"_s.arg(outlookPercent(line.rate), outlookPercent(line.rateLow),
                                 outlookPercent(line.rateHigh));
}

QString outlookFeatureText(const OutlookFeature& feature) {
    return u"%1：平均の約 %2 倍"_s.arg(feature.label, QString::number(feature.factor, 'f', 2));
}

QString outlookSameChance() {
    return u"当せんする確率は、どの番号も同じです（ストレートは 10,000 分の 1）。"
           u"見込み払戻率が違うのは、当たったときの当せん金の見込みだけです。"_s;
}

QString outlookTooFew(int drawsWithPrizes) {
    return u"当せん金の記録が %1 回分しかないため、見込み払戻率は出せません"
           u"（%2 回分以上の記録が要ります）。"_s.arg(drawsWithPrizes)
               .arg(OutlookModel::kMinDraws);
}

}  // namespace pirumoa
