#include "quality/sub_record_moments.hpp"

#include <cmath>
#include <vector>

namespace field {

SubRecordMoments subRecordMoments(const SampleBuffer& rotated, const SubIntervals& parts) {
    SubRecordMoments out;
    const auto count = static_cast<std::size_t>(parts.count);
    const float* u = rotated.u.data();
    const float* v = rotated.v.data();
    const float* w = rotated.w.data();
    const float* t = rotated.Ts.data();

    // First pass: each sub-record's sums of n, w, u and Ts (the steady-state means) and of v,
    // and the window's sums.
    struct Part {
        double n = 0, w = 0, u = 0, t = 0, v = 0;  // sums, then the steady-state means of w, u and Ts
        double uwOwn = 0, twOwn = 0;               // products about the sub-record's own means
    };
    std::vector<Part> part(parts.intervals);
    std::vector<SubRecordSums> sums(parts.intervals);
    // Over each run of samples in one sub-record (thousands in a row, in time order) the
    // sub-record's sums are held in registers: the same additions in the same order.
    std::size_t i = 0;
    double sumU = 0, sumV = 0, sumW = 0, sumT = 0;
    for (const SubIntervals::Run& r : parts.runs()) {
        Part& p = part[r.interval];
        const std::size_t end = r.end;
        double pn = p.n, pw = p.w, pu = p.u, pt = p.t, pv = p.v;
        for (; i < end; ++i) {
            pn += 1;
            pw += w[i];
            pu += u[i];
            pt += t[i];
            pv += v[i];
            sumU += u[i];
            sumV += v[i];
            sumW += w[i];
            sumT += t[i];
        }
        p.n = pn;
        p.w = pw;
        p.u = pu;
        p.t = pt;
        p.v = pv;
    }
    const auto n = static_cast<double>(count);
    const double meanU = sumU / n, meanV = sumV / n, meanW = sumW / n, meanT = sumT / n;
    for (std::size_t j = 0; j < part.size(); ++j) {
        Part& p = part[j];
        sums[j].n = p.n;
        sums[j].u = p.u;
        sums[j].v = p.v;
        if (p.n > 0) {
            p.w /= p.n;
            p.u /= p.n;
            p.t /= p.n;
        }
    }

    // Second pass: the products about the sub-records' own means and about the window's.
    double wholeUW = 0, wholeTW = 0, squaresW = 0;
    i = 0;
    for (const SubIntervals::Run& r : parts.runs()) {
        Part& p = part[r.interval];
        SubRecordSums& s = sums[r.interval];
        const std::size_t end = r.end;
        const double ownW = p.w, ownU = p.u, ownT = p.t;
        double uwOwn = p.uwOwn, twOwn = p.twOwn, su = s.uw, sv = s.vw, st = s.tw;
        for (; i < end; ++i) {
            const double dw = w[i] - ownW, wholeDw = w[i] - meanW;
            uwOwn += (u[i] - ownU) * dw;
            twOwn += (t[i] - ownT) * dw;
            const double du = u[i] - meanU, dt = t[i] - meanT;
            wholeUW += du * wholeDw;
            wholeTW += dt * wholeDw;
            squaresW += wholeDw * wholeDw;
            su += du * wholeDw;
            sv += (v[i] - meanV) * wholeDw;
            st += dt * wholeDw;
        }
        p.uwOwn = uwOwn;
        p.twOwn = twOwn;
        s.uw = su;
        s.vw = sv;
        s.tw = st;
    }

    std::vector<double> partN(part.size()), products(part.size());
    for (std::size_t j = 0; j < part.size(); ++j) partN[j] = part[j].n;
    for (std::size_t j = 0; j < part.size(); ++j) products[j] = part[j].uwOwn;
    const std::optional<double> uw = steadyStateDeviationOf(partN, products, wholeUW, n);
    for (std::size_t j = 0; j < part.size(); ++j) products[j] = part[j].twOwn;
    const std::optional<double> tw = steadyStateDeviationOf(partN, products, wholeTW, n);
    if (uw && tw) {
        out.steadyUW = uw;
        out.steadyWTs = tw;
    }
    out.errors = samplingErrorsOf(sums);
    out.sigmaW = std::sqrt(squaresW / n);
    return out;
}

}  // namespace field
