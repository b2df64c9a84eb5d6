#!/usr/bin/env bash
# stimora-analyze against an independent binomial maximum-likelihood fit written here with SciPy
# (Debian's python3-scipy): one data set per sigmoid with the lapse rate fixed, and a Weibull with
# it free. Thresholds, slopes, parameters and deviances agree to 1e-6 relative.
# Usage: IndependentFitTest.sh <stimora-analyze> <output folder>
set -uo pipefail
analyze=$1
out=$2/independent-fit
rm -rf "$out" && mkdir -p "$out" && cd "$out" || exit 1
/usr/bin/python3 - "$analyze" <<'EOF'
import subprocess, sys
import numpy as np
from scipy import optimize, special, stats

analyze, guess = sys.argv[1], 0.5
sigmoids = {  # F, its density and its inverse
    "weibull": (lambda x, a, b: -np.expm1(-(x / a) ** b), lambda x, a, b: stats.weibull_min.pdf(x, b, scale=a),
                lambda f, a, b: a * (-np.log1p(-f)) ** (1 / b)),
    "logistic": (lambda x, a, b: special.expit(b * (x - a)), lambda x, a, b: b * stats.logistic.pdf(b * (x - a)),
                 lambda f, a, b: a + special.logit(f) / b),
    "gaussian": (lambda x, a, b: stats.norm.cdf(b * (x - a)), lambda x, a, b: b * stats.norm.pdf(b * (x - a)),
                 lambda f, a, b: a + stats.norm.ppf(f) / b),
}
# model, intensities, trials per level, true alpha, beta, lapse, lapse option, seed
sets = [("weibull", np.geomspace(0.4, 3.2, 6), 60, 1.5, 3.0, 0.0, "0", 11),
        ("logistic", np.linspace(-2, 2, 7), 50, 0.2, 2.0, 0.02, "0.02", 12),
        ("gaussian", np.linspace(-1, 3, 6), 60, 1.0, 1.2, 0.0, "0", 13),
        ("weibull", np.geomspace(0.3, 4, 8), 150, 1.2, 2.5, 0.035, "free", 14)]
failures = 0
for number, (model, x, n, alpha, beta, lapse, lapseOption, seed) in enumerate(sets):
    F, density, inverse = sigmoids[model]
    k = np.random.default_rng(seed).binomial(n, guess + (1 - guess - lapse) * F(x, alpha, beta))
    name = "set%d" % number
    with open(name + ".dat", "w") as f:
        f.write("Cross-check\r\n%s\r\n\r\nTRIAL#\tIntensity\tCorrect\t\r\n" % model)
        trial = 0
        for xi, ki in zip(x, k):
            for j in range(n):
                trial += 1
                f.write("%d\t%.17g\t%d\t\r\n" % (trial, xi, j < ki))
    subprocess.run([analyze, "--model", model, "--lapse", lapseOption, "--bootstrap", "0", name + ".dat"],
                   check=True, stdout=subprocess.DEVNULL)
    header, row = [line.rstrip("\r\n").split("\t") for line in open(name + "_fit.tsv")]
    ours = dict(zip(header, row))

    free = lapseOption == "free"
    def psi(p):
        return guess + (1 - guess - (p[2] if free else lapse)) * F(x, p[0], np.exp(p[1]))
    def cost(p):
        if p[0] <= 0 and model == "weibull" or free and not 0 <= p[2] <= 0.06:
            return 1e300
        q = psi(p)
        return -np.sum(special.xlogy(k, q) + special.xlogy(n - k, 1 - q))
    def score(p):  # d log-likelihood / d psi, times psi's central differences
        q, h = psi(p), 1e-6
        with np.errstate(divide="ignore", invalid="ignore"):
            weight = k / q - np.where(n > k, (n - k) / (1 - q), 0)
        return [np.sum(weight * (psi(p + e) - psi(p - e)) / (2 * h)) for e in np.eye(len(p)) * h]
    # The best point of a grid, Nelder-Mead from there, then the root of the score: rounding
    # flattens the likelihood near its top, not its gradient.
    grid = [[a0, lb0] + ([0.02] if free else []) for a0 in np.linspace(x.min(), x.max(), 41)
            for lb0 in np.linspace(np.log(0.2), np.log(20), 41)]
    near = optimize.minimize(cost, min(grid, key=cost), method="Nelder-Mead",
                             options={"xatol": 1e-12, "fatol": 1e-13, "maxiter": 20000})
    best = optimize.root(score, near.x, method="hybr", options={"xtol": 1e-14})
    if max(map(abs, score(best.x))) > 1e-6 or cost(best.x) > near.fun + 1e-9:
        print("FAIL: %s: the score has no root near Nelder-Mead's optimum" % name); failures += 1
    best.fun = cost(best.x)
    a, b = best.x[0], np.exp(best.x[1])
    rate = best.x[2] if free else lapse
    f = (0.75 - guess) / (1 - guess - rate)
    threshold = inverse(f, a, b)
    saturated = -np.sum(special.xlogy(k, k / n) + special.xlogy(n - k, 1 - k / n))
    reference = {"alpha": a, "beta": b, "lapse": rate, "threshold": threshold,
                 "slope": (1 - guess - rate) * density(threshold, a, b), "deviance": 2 * (best.fun - saturated)}
    if free and not 0.001 < rate < 0.059:
        print("FAIL: %s: the free lapse rate %g is not inside its range" % (name, rate)); failures += 1
    for key, value in reference.items():
        mine = float(ours[key])
        error = abs(mine - value) / abs(value) if value else abs(mine)
        print("%s %s %-9s stimora %.12g scipy %.12g relative %.1e" % (name, model, key, mine, value, error))
        if ours["converged"] != "yes" or not error <= 1e-6:
            print("FAIL: %s %s differs" % (name, key)); failures += 1
sys.exit(1 if failures else 0)
EOF
