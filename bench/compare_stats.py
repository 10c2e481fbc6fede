#!/usr/bin/env python3
"""Compares Calvor's monthly and annual files with the pandas results to
single precision; prints the largest relative difference."""

import csv
import math
import sys


def rows(path):
    with open(path) as f:
        reader = csv.reader(f)
        next(reader)
        return [[float(v) if v not in ("", "NaN") else math.nan for v in row[1:]] for row in reader]


worst = 0.0
for mine, theirs in (("monthly.csv", "pandas_monthly.csv"), ("annual.csv", "pandas_annual.csv")):
    a, b = rows(mine), rows(theirs)
    if len(a) != len(b):
        sys.exit("%s: %d rows, pandas %d" % (mine, len(a), len(b)))
    for ra, rb in zip(a, b):
        for x, y in zip(ra, rb):
            if math.isnan(x) or math.isnan(y):
                if not (math.isnan(x) and math.isnan(y)):
                    sys.exit("%s: NaN differs" % mine)
                continue
            worst = max(worst, abs(x - y) / max(abs(y), 1e-30))
print("largest relative difference %.2e (float32 epsilon 1.19e-07, six printed digits 5e-06)" % worst)
sys.exit(0 if worst < 1e-5 else 1)
