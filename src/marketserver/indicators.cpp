#include "marketserver/indicators.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace marketserver {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> Missing(std::size_t n) {
    return std::vector<double>(n, kNaN);
}

// Highest high and lowest low of the `period` bars ending at i.
void Extremes(const std::vector<OhlcBar>& bars, std::size_t i, int period, double& high,
              double& low) {
    high = bars[i].high;
    low = bars[i].low;
    for (std::size_t j = i + 1 - period; j < i; ++j) {
        high = std::max(high, bars[j].high);
        low = std::min(low, bars[j].low);
    }
}

} // namespace

std::vector<double> Closes(const std::vector<OhlcBar>& bars) {
    std::vector<double> out;
    out.reserve(bars.size());
    for (const auto& b : bars)
        out.push_back(b.close);
    return out;
}

std::vector<double> Sma(const std::vector<double>& values, int period) {
    auto out = Missing(values.size());
    if (period < 1)
        return out;
    double sum = 0;
    int run = 0; // consecutive finite values so far
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i])) {
            sum = 0;
            run = 0;
            continue;
        }
        sum += values[i];
        if (++run > period) {
            sum -= values[i - period];
            run = period;
        }
        if (run == period)
            out[i] = sum / period;
    }
    return out;
}

std::vector<double> Ema(const std::vector<double>& values, int period) {
    auto out = Missing(values.size());
    if (period < 1)
        return out;
    const double alpha = 2.0 / (period + 1);
    const auto start = Sma(values, period); // where each run of the average begins
    double ema = kNaN;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i]))
            ema = kNaN;
        else if (std::isfinite(ema))
            ema += alpha * (values[i] - ema);
        else
            ema = start[i]; // stays NaN until a full window has been seen
        out[i] = ema;
    }
    return out;
}

BollingerBands Bollinger(const std::vector<double>& closes, int period, double width) {
    BollingerBands b;
    b.middle = Sma(closes, period);
    b.upper = Missing(closes.size());
    b.lower = Missing(closes.size());
    for (std::size_t i = 0; i < closes.size(); ++i) {
        if (!std::isfinite(b.middle[i]))
            continue;
        double squares = 0;
        for (std::size_t j = i + 1 - period; j <= i; ++j)
            squares += (closes[j] - b.middle[i]) * (closes[j] - b.middle[i]);
        const double sd = std::sqrt(squares / period);
        b.upper[i] = b.middle[i] + width * sd;
        b.lower[i] = b.middle[i] - width * sd;
    }
    return b;
}

std::vector<double> ParabolicSar(const std::vector<OhlcBar>& bars, double step, double limit) {
    auto out = Missing(bars.size());
    if (bars.size() < 2)
        return out;
    bool rising = bars[1].close >= bars[0].close;
    double af = step;
    double extreme =
        rising ? std::max(bars[0].high, bars[1].high) : std::min(bars[0].low, bars[1].low);
    double sar = rising ? std::min(bars[0].low, bars[1].low) : std::max(bars[0].high, bars[1].high);
    out[1] = sar;
    for (std::size_t i = 2; i < bars.size(); ++i) {
        const auto& b = bars[i];
        sar += af * (extreme - sar);
        // The stop may not move into the last two bars' range.
        if (rising)
            sar = std::min({sar, bars[i - 1].low, bars[i - 2].low});
        else
            sar = std::max({sar, bars[i - 1].high, bars[i - 2].high});

        if (rising && b.low < sar) {
            rising = false;
            sar = extreme;
            extreme = b.low;
            af = step;
        } else if (!rising && b.high > sar) {
            rising = true;
            sar = extreme;
            extreme = b.high;
            af = step;
        } else if (rising ? b.high > extreme : b.low < extreme) {
            extreme = rising ? b.high : b.low;
            af = std::min(af + step, limit);
        }
        out[i] = sar;
    }
    return out;
}

MacdLines Macd(const std::vector<double>& closes, int slow, int fast, int signal) {
    MacdLines m;
    const auto slowEma = Ema(closes, slow);
    const auto fastEma = Ema(closes, fast);
    m.macd = Missing(closes.size());
    for (std::size_t i = 0; i < closes.size(); ++i)
        m.macd[i] = fastEma[i] - slowEma[i]; // NaN propagates
    m.signal = Ema(m.macd, signal);
    m.histogram = Missing(closes.size());
    for (std::size_t i = 0; i < closes.size(); ++i)
        m.histogram[i] = m.macd[i] - m.signal[i];
    return m;
}

std::vector<double> MoneyFlowIndex(const std::vector<OhlcBar>& bars, int period) {
    auto out = Missing(bars.size());
    if (period < 1)
        return out;
    std::vector<double> up(bars.size(), 0), down(bars.size(), 0);
    auto typical = [&](std::size_t i) { return (bars[i].high + bars[i].low + bars[i].close) / 3; };
    for (std::size_t i = 1; i < bars.size(); ++i) {
        const double tp = typical(i), prev = typical(i - 1);
        if (tp > prev)
            up[i] = tp * bars[i].volume;
        else if (tp < prev)
            down[i] = tp * bars[i].volume;
    }
    for (std::size_t i = period; i < bars.size(); ++i) {
        double pos = 0, neg = 0;
        for (std::size_t j = i + 1 - period; j <= i; ++j) {
            pos += up[j];
            neg += down[j];
        }
        out[i] = pos + neg == 0 ? 50 : 100 * pos / (pos + neg);
    }
    return out;
}

std::vector<double> RateOfChange(const std::vector<double>& closes, int period) {
    auto out = Missing(closes.size());
    for (std::size_t i = std::max(period, 1); i < closes.size(); ++i) {
        const double then = closes[i - period];
        if (then != 0)
            out[i] = 100 * (closes[i] - then) / then;
    }
    return out;
}

std::vector<double> Rsi(const std::vector<double>& closes, int period) {
    auto out = Missing(closes.size());
    if (period < 1 || closes.size() <= static_cast<std::size_t>(period))
        return out;
    auto value = [](double gain, double loss) {
        if (loss == 0)
            return gain == 0 ? 50.0 : 100.0;
        return 100 - 100 / (1 + gain / loss);
    };
    double gain = 0, loss = 0;
    for (int i = 1; i <= period; ++i) {
        const double change = closes[i] - closes[i - 1];
        gain += std::max(change, 0.0);
        loss += std::max(-change, 0.0);
    }
    gain /= period;
    loss /= period;
    out[period] = value(gain, loss);
    for (std::size_t i = period + 1; i < closes.size(); ++i) {
        const double change = closes[i] - closes[i - 1];
        gain = (gain * (period - 1) + std::max(change, 0.0)) / period;
        loss = (loss * (period - 1) + std::max(-change, 0.0)) / period;
        out[i] = value(gain, loss);
    }
    return out;
}

StochasticLines Stochastic(const std::vector<OhlcBar>& bars, int period, int smoothK, int periodD) {
    auto raw = Missing(bars.size());
    if (period >= 1) {
        for (std::size_t i = period - 1; i < bars.size(); ++i) {
            double high, low;
            Extremes(bars, i, period, high, low);
            raw[i] = high == low ? 50 : 100 * (bars[i].close - low) / (high - low);
        }
    }
    StochasticLines s;
    s.k = smoothK > 1 ? Sma(raw, smoothK) : raw;
    s.d = Sma(s.k, periodD);
    return s;
}

std::vector<double> WilliamsR(const std::vector<OhlcBar>& bars, int period) {
    auto out = Missing(bars.size());
    if (period < 1)
        return out;
    for (std::size_t i = period - 1; i < bars.size(); ++i) {
        double high, low;
        Extremes(bars, i, period, high, low);
        out[i] = high == low ? -50 : -100 * (high - bars[i].close) / (high - low);
    }
    return out;
}

VolumeLines VolumeWithAverage(const std::vector<OhlcBar>& bars, int period) {
    VolumeLines v;
    v.volume.reserve(bars.size());
    for (const auto& b : bars)
        v.volume.push_back(b.volume);
    v.average = Sma(v.volume, period);
    return v;
}

} // namespace marketserver
